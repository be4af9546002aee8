#include "store/pst_store_service.hpp"

#include "store/pst_message.hpp"
#include "store/pst_session.hpp"

namespace ferrowick {
namespace {

class PstUtility : public StoreUtility {
public:
    void HrSetOneProp(StoreMessage& message, std::uint32_t tag, std::int32_t value, bool save) override {
        auto* ours = dynamic_cast<PstMessage*>(&message);
        if (!ours) throw StoreFailure(u"The message does not belong to a store of this service.");
        ours->SetProperty(tag, value);
        if (save) ours->Save();
    }
};

}  // namespace

std::shared_ptr<StoreSession> PstStoreService::CreateSession() { return std::make_shared<PstSession>(); }
std::shared_ptr<StoreUtility> PstStoreService::CreateUtility() { return std::make_shared<PstUtility>(); }

}  // namespace ferrowick
