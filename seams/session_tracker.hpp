#pragma once
// Stands between the wizard's runs and the message-store service and remembers the
// sessions it opened, so that ending the program in the middle of a run can log them
// off first: every message saved so far then stays in the file.
#include <memory>
#include <vector>

#include "seams/store_service.hpp"

namespace ferrowick {

class SessionTracker : public MessageStoreService {
public:
    // With no service, every session fails to open, as without the store library.
    explicit SessionTracker(MessageStoreService* service) : service_(service) {}

    std::shared_ptr<StoreSession> CreateSession() override;
    std::shared_ptr<StoreUtility> CreateUtility() override;

    // Logs off every session that is still held somewhere; failures are ignored.
    void ReleaseOpenSessions();

private:
    MessageStoreService* service_;
    std::vector<std::weak_ptr<StoreSession>> sessions_;
};

}  // namespace ferrowick
