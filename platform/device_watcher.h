// Device-change notices: on Linux a udev monitor (subsystems hidraw and usb)
// read in the event loop. Without udev there are simply no notices.
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
