#pragma once
// A message of a store opened by a session: its content is kept here until Save() writes it
// into its folder; a later change and Save() replace it. Content() is the store-internal
// route for callers that set properties themselves (tests, benchmarks).
#include <memory>
#include <optional>

#include "pst/messaging/message_object.hpp"
#include "seams/store_service.hpp"
#include "store/open_store.hpp"

namespace ferrowick {

class PstMessage : public StoreMessage {
public:
    PstMessage(std::shared_ptr<OpenStore> store, pst::NodeId folder);

    void Import(const std::u16string& msgPath, int importType) override;
    bool HasAttachments() override;
    std::int32_t ImportedFlags() override;
    void SetProperty(std::uint32_t tag, std::int32_t value) override;
    void Save() override;

    // Changing the content marks the message as changed.
    pst::MessageContent& Content();
    std::optional<pst::NodeId> SavedAs() const { return saved_; }

private:
    pst::NodeId AddWithoutCopy(pst::PstStore& store);
    std::shared_ptr<OpenStore> store_;
    pst::NodeId folder_;
    pst::MessageContent content_;
    std::optional<pst::NodeId> saved_;
    bool changed_ = true;
};

}  // namespace ferrowick
