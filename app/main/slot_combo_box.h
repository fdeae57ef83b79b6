// A drop-down list that reports when its list closes, as the slot selectors
// need: a choice made in the list redraws the charts only then.
#pragma once

#include <QComboBox>

class SlotComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override {
        dropped_ = true;
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (dropped_) {
            dropped_ = false;
            emit closeUp();
        }
    }

    // Whether the list is open: a choice made there waits for closeUp.
    bool IsDropped() const { return dropped_; }

signals:
    // The list was open and has closed, chosen or not.
    void closeUp();

private:
    bool dropped_ = false;
};
