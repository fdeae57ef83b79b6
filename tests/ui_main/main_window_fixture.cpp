#include "tests/ui_main/main_window_fixture.h"

#include "app/main/start_up.h"
#include "dialogs/form_msg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>

DialogAnswerer::DialogAnswerer() {
    timer_.setInterval(20);
    connect(&timer_, &QTimer::timeout, this, &DialogAnswerer::Poll);
    timer_.start();
}

void DialogAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal != FormMsg || !FormMsg->isVisible())
        return;
    ShownMessage m;
    m.Text = FormMsg->Label1()->text();
    m.Caption = FormMsg->windowTitle();
    const std::pair<int, const char*> names[] = {
        {mrOk, "OK"}, {mrCancel, "Cancel"}, {mrYes, "Yes"}, {mrNo, "No"}};
    for (const auto& [result, name] : names) {
        if (!FormMsg->Button(result)->isHidden())
            m.Buttons << QLatin1String(name);
        // The dialog's focus widget, set when it shows; hasFocus() would also
        // wait for the window to become active, which a slow run may not
        // have reached yet.
        if (FormMsg->focusWidget() == FormMsg->Button(result))
            m.Focused = QLatin1String(name);
    }
    if (answers_.empty()) {
        ++unexpected_;
        m.Answer = -1;
        shown_ << m;
        FormMsg->close();
        return;
    }
    m.Answer = answers_.front();
    answers_.pop_front();
    if (m.Answer < 0) {
        const int index = static_cast<int>(shown_.size());
        connect(
            FormMsg, &QDialog::finished, this,
            [this, index](int result) { shown_[index].Answer = result; }, Qt::SingleShotConnection);
        shown_ << m;
        QTest::keyClick(FormMsg->focusWidget() ? FormMsg->focusWidget() : FormMsg,
                        static_cast<Qt::Key>(-m.Answer));
        return;
    }
    shown_ << m;
    if (m.Answer == 0)
        FormMsg->close();
    else
        FormMsg->Button(m.Answer)->click();
}

MainWindowFixture::MainWindowFixture() {
    qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("VRX310_SIM_STATE", dir_.filePath(QStringLiteral("sim.state")).toLocal8Bit());
    qputenv("VRX310_SIM_LOG", dir_.filePath(QStringLiteral("requests.log")).toLocal8Bit());
    answerer_ = std::make_unique<DialogAnswerer>();
}

MainWindowFixture::~MainWindowFixture() {
    Stop();
}

void MainWindowFixture::WriteState(const QString& text) {
    QFile f(dir_.filePath(QStringLiteral("sim.state")));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text.toUtf8());
}

QString MainWindowFixture::SettingsPath() const {
    return dir_.filePath(QStringLiteral("config/VRX310.ini"));
}

void MainWindowFixture::WriteSettings(const QString& text) {
    QDir().mkpath(dir_.filePath(QStringLiteral("config")));
    QFile f(SettingsPath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text.toLatin1());
}

QByteArray MainWindowFixture::SettingsBytes() const {
    QFile f(SettingsPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool MainWindowFixture::SettingsExist() const {
    return QFile::exists(SettingsPath());
}

QStringList MainWindowFixture::Requests() const {
    QFile f(dir_.filePath(QStringLiteral("requests.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void MainWindowFixture::ClearRequests() {
    QFile::remove(dir_.filePath(QStringLiteral("requests.log")));
}

void MainWindowFixture::Start() {
    auto ready = std::make_shared<bool>(false);
    StartWindows([ready] { *ready = true; });
    QTRY_VERIFY(*ready);
    QVERIFY(QTest::qWaitForWindowExposed(FormMain));
}

void MainWindowFixture::Stop() {
    if (FormMain)
        DestroyWindows();
}

QString StateValues(const QList<int>& compression, const QList<int>& leakage) {
    auto line = [](const char* key, const QList<int>& values) {
        QStringList parts;
        for (int i = 0; i < 12; ++i)
            parts << QString::number(i < values.size() ? values[i] : -1);
        return QStringLiteral("%1=%2\n").arg(QLatin1String(key), parts.join(QLatin1Char(' ')));
    };
    return line("compression", compression) + line("leakage", leakage);
}

PipeWatchdog::PipeWatchdog(const QString& path, int limitMs) {
    const std::string file = QFile::encodeName(path).toStdString();
    thread_ = std::thread([this, file, limitMs] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return stop_; }))
            return;
        // From now on free every reader until the test ends.
        while (!stop_) {
            const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                // Whatever lies there now counts only while it is a pipe.
                struct stat st {};
                if (::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode))
                    released_ = true;
                ::close(fd);
            }
            wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stop_; });
        }
    });
}

PipeWatchdog::~PipeWatchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void ChooseInList(QComboBox* box, int item) {
    box->showPopup();
    QAbstractItemView* view = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    view->setCurrentIndex(box->model()->index(item, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->window()->isVisible());
}
