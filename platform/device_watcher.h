// Device-change notices, read in the event loop: on Linux a udev monitor
// (subsystems hidraw and usb), without udev none; on Windows the window
// system's device-change broadcast (message 0x219) to any of our windows.
#pragma once

#include <QObject>

class DeviceWatcher : public QObject {
    Q_OBJECT
public:
    explicit DeviceWatcher(QObject* parent = nullptr);
    ~DeviceWatcher() override;
    bool IsActive() const;

signals:
    // Any add, remove or change of a hidraw or usb device.
    void DeviceChanged();

private:
    struct Impl;
    Impl* d_;
};
