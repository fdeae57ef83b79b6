// Real device notices need a udev daemon and a plugged device; neither
// exists on a build machine, so these tests cover construction and the
// fall-back to "no notices" only.
#include "platform/device_watcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#ifdef VRX_HAVE_UDEV
#include <libudev.h>
#endif

namespace {

// Whether this machine lets a process listen to udev's device events.
bool UdevMonitorPossible() {
#ifdef VRX_HAVE_UDEV
    udev* u = udev_new();
    if (u == nullptr) {
        return false;
    }
    udev_monitor* m = udev_monitor_new_from_netlink(u, "udev");
    const bool ok = m != nullptr && udev_monitor_enable_receiving(m) >= 0;
    if (m != nullptr) {
        udev_monitor_unref(m);
    }
    udev_unref(u);
    return ok;
#else
    return false;
#endif
}

TEST(DeviceWatcher, ActiveExactlyWhereUdevCanBeListenedTo) {
    int argc = 1;
    char name[] = "test_platform";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    const bool possible = UdevMonitorPossible();
    std::printf("udev monitor possible here: %s\n", possible ? "yes" : "no");
    {
        DeviceWatcher first;
        DeviceWatcher second; // each window may keep its own
        EXPECT_EQ(first.IsActive(), possible);
        EXPECT_EQ(second.IsActive(), possible);

        // The event loop runs with the watchers in it; without udev nothing
        // may ever be signalled.
        QSignalSpy spy(&first, &DeviceWatcher::DeviceChanged);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 100) {
            app.processEvents(QEventLoop::AllEvents, 20);
        }
        if (!possible) {
            EXPECT_EQ(spy.count(), 0);
        }
    }
    // Destroyed watchers leave nothing behind in the loop.
    app.processEvents();
}

} // namespace
