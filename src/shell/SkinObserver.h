#pragma once
// The window background ("skin"): a colour or a picture, chosen in the skin pop-up and told
// to every window that shows it.

#include <QRgb>
#include <QString>

#include <map>

namespace velnor7 {

struct SkinChangedParam {
    bool colour = false;  // true: `colourValue` alone; false: the picture `image`
    QRgb colourValue = 0;
    QString image;  // relative to the skin folder, or absolute
};

class ISkinReceiver {
public:
    virtual ~ISkinReceiver() = default;
    virtual void Receive(const SkinChangedParam& param) = 0;
};

// One per process; receivers are told in the order they were added.
class CSkinObserver {
public:
    static CSkinObserver& Instance();
    // Its number; adding a receiver twice keeps its first number.
    int AddReceiver(ISkinReceiver* receiver);
    void RemoveReceiver(ISkinReceiver* receiver);
    void Broadcast(const SkinChangedParam& param);

private:
    CSkinObserver() = default;
    std::map<int, ISkinReceiver*> receivers_;
    int next_ = 0;
};

}  // namespace velnor7
