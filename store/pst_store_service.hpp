#pragma once
// The message-store service on our own .pst library: sessions that create or open a
// Unicode .pst, its folders and messages, and the utility that sets one property.
#include <memory>

#include "seams/store_service.hpp"

namespace ferrowick {

class PstStoreService : public MessageStoreService {
public:
    std::shared_ptr<StoreSession> CreateSession() override;
    std::shared_ptr<StoreUtility> CreateUtility() override;
};

}  // namespace ferrowick
