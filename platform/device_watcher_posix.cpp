#include "platform/device_watcher.h"

#ifdef VRX_HAVE_UDEV
#include <QSocketNotifier>
#include <libudev.h>

#include <string_view>
#endif

struct DeviceWatcher::Impl {
#ifdef VRX_HAVE_UDEV
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    QSocketNotifier* notifier = nullptr;

    ~Impl() {
        delete notifier;
        if (monitor != nullptr) {
            udev_monitor_unref(monitor);
        }
        if (context != nullptr) {
            udev_unref(context);
        }
    }
#endif
    bool active = false;
};

DeviceWatcher::DeviceWatcher(QObject* parent) : QObject(parent), d_(new Impl) {
#ifdef VRX_HAVE_UDEV
    // Without a udev daemon (a container, a build machine) any of these steps
    // may fail; the program then simply gets no device notices.
    d_->context = udev_new();
    if (d_->context == nullptr) {
        return;
    }
    d_->monitor = udev_monitor_new_from_netlink(d_->context, "udev");
    if (d_->monitor == nullptr) {
        return;
    }
    if (udev_monitor_filter_add_match_subsystem_devtype(d_->monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(d_->monitor, "usb", nullptr) < 0 ||
        udev_monitor_enable_receiving(d_->monitor) < 0) {
        return;
    }
    const int fd = udev_monitor_get_fd(d_->monitor);
    if (fd < 0) {
        return;
    }
    d_->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(d_->notifier, &QSocketNotifier::activated, this, [this] {
        // Drain every queued event; each add, remove or change is one notice,
        // as the window system sends one broadcast per change.
        while (udev_device* dev = udev_monitor_receive_device(d_->monitor)) {
            const char* action = udev_device_get_action(dev);
            const bool relevant = action == nullptr || std::string_view(action) == "add" ||
                                  std::string_view(action) == "remove" ||
                                  std::string_view(action) == "change";
            udev_device_unref(dev);
            if (relevant) {
                emit DeviceChanged();
            }
        }
    });
    d_->active = true;
#endif
}

DeviceWatcher::~DeviceWatcher() {
    delete d_;
}

bool DeviceWatcher::IsActive() const {
    return d_->active;
}
