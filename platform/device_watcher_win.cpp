#include "platform/device_watcher.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

namespace {

// Windows sends the broadcast to every top-level window without any
// registration; one notice per message, whatever device and kind of change.
class DeviceChangeFilter : public QAbstractNativeEventFilter {
public:
    explicit DeviceChangeFilter(DeviceWatcher* watcher) : watcher_(watcher) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message,
                           qintptr* /*result*/) override {
        if (eventType == "windows_generic_MSG" &&
            static_cast<const MSG*>(message)->message == WM_DEVICECHANGE) {
            // Queued: the handler talks to the tester, which must not happen
            // inside the window system's dispatch.
            QMetaObject::invokeMethod(watcher_, &DeviceWatcher::DeviceChanged,
                                      Qt::QueuedConnection);
        }
        return false; // the default handling goes on
    }

private:
    DeviceWatcher* watcher_;
};

} // namespace

struct DeviceWatcher::Impl {
    DeviceChangeFilter* filter = nullptr;
    bool active = false;

    ~Impl() {
        if (filter != nullptr && QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeNativeEventFilter(filter);
        delete filter;
    }
};

DeviceWatcher::DeviceWatcher(QObject* parent) : QObject(parent), d_(new Impl) {
    if (QCoreApplication::instance() == nullptr)
        return;
    d_->filter = new DeviceChangeFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(d_->filter);
    d_->active = true;
}

DeviceWatcher::~DeviceWatcher() {
    delete d_;
}

bool DeviceWatcher::IsActive() const {
    return d_->active;
}
