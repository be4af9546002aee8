#include "seams/session_tracker.hpp"

#include <algorithm>

namespace ferrowick {

std::shared_ptr<StoreSession> SessionTracker::CreateSession() {
    std::erase_if(sessions_, [](const std::weak_ptr<StoreSession>& s) { return s.expired(); });
    if (!service_) throw StoreFailure(u"No message-store service is available.");
    std::shared_ptr<StoreSession> session = service_->CreateSession();
    if (session) sessions_.push_back(session);
    return session;
}

std::shared_ptr<StoreUtility> SessionTracker::CreateUtility() {
    if (!service_) throw StoreFailure(u"No message-store service is available.");
    return service_->CreateUtility();
}

void SessionTracker::ReleaseOpenSessions() {
    for (const std::weak_ptr<StoreSession>& held : sessions_) {
        if (std::shared_ptr<StoreSession> session = held.lock()) {
            try {
                session->Logoff();
            } catch (...) {
                // The program is ending; what could be saved has been.
            }
        }
    }
    sessions_.clear();
}

}  // namespace ferrowick
