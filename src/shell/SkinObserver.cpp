#include "shell/SkinObserver.h"

#include <vector>

namespace velnor7 {

CSkinObserver& CSkinObserver::Instance() {
    static CSkinObserver observer;
    return observer;
}

int CSkinObserver::AddReceiver(ISkinReceiver* receiver) {
    for (const auto& [number, known] : receivers_) {
        if (known == receiver) return number;
    }
    receivers_[next_] = receiver;
    return next_++;
}

void CSkinObserver::RemoveReceiver(ISkinReceiver* receiver) {
    std::erase_if(receivers_, [receiver](const auto& entry) { return entry.second == receiver; });
}

void CSkinObserver::Broadcast(const SkinChangedParam& param) {
    // A receiver may leave while it is told: the list is taken first, and each is looked up again.
    std::vector<int> numbers;
    for (const auto& entry : receivers_) numbers.push_back(entry.first);
    for (const int number : numbers) {
        const auto found = receivers_.find(number);
        if (found != receivers_.end()) found->second->Receive(param);
    }
}

}  // namespace velnor7
