#include "tests/german/german_texts.h"

#include "app/main/main_window.h"
#include "dialogs/form_about.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_msg.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

namespace {

QString Name(const QWidget* w, int index) {
    const QString name = w->objectName();
    return name.isEmpty()
               ? QStringLiteral("%1#%2").arg(QLatin1String(w->metaObject()->className())).arg(index)
               : name;
}

// Where the control may draw: its parent's area (a label placed by hand
// that runs past the window's edge is cut off there).
bool InsideParent(const QWidget* w, QString& why) {
    const QWidget* parent = w->parentWidget();
    if (parent == nullptr || w->isWindow())
        return true;
    const QRect g = w->geometry();
    if (g.right() < parent->width() && g.bottom() < parent->height())
        return true;
    why = QStringLiteral("ends at %1,%2 in a parent of %3 x %4")
              .arg(g.right())
              .arg(g.bottom())
              .arg(parent->width())
              .arg(parent->height());
    return false;
}

void Add(QList<ShownText>& out, const QString& where, const QString& text, bool fits = true,
         const QString& why = QString()) {
    if (!text.isEmpty())
        out.append({where, text, fits, why});
}

} // namespace

QList<ShownText> WindowTexts(QWidget* window) {
    QList<ShownText> out;
    const QString owner = QLatin1String(window->metaObject()->className());
    Add(out, owner + QStringLiteral(" title"), window->windowTitle());
    int index = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        ++index;
        if (w->window() != window)
            continue;
        const QString where = owner + QLatin1Char('/') + Name(w, index);
        QString why;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            const bool wide = b->sizeHint().width() <= b->width();
            if (!wide)
                why = QStringLiteral("needs %1 of %2 pixels")
                          .arg(b->sizeHint().width())
                          .arg(b->width());
            Add(out, where + QStringLiteral(" text"), b->text(), wide && InsideParent(b, why), why);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->textFormat() == Qt::RichText || l->text().startsWith(QLatin1Char('<')))
                continue;
            bool fits;
            if (l->wordWrap()) {
                const int needed = l->heightForWidth(l->width());
                fits = needed <= l->height();
                if (!fits)
                    why =
                        QStringLiteral("needs %1 of %2 lines' pixels").arg(needed).arg(l->height());
            } else {
                fits = l->sizeHint().width() <= l->width() + 1;
                if (!fits)
                    why = QStringLiteral("needs %1 of %2 pixels")
                              .arg(l->sizeHint().width())
                              .arg(l->width());
            }
            Add(out, where + QStringLiteral(" text"), l->text(), fits && InsideParent(l, why), why);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            Add(out, where + QStringLiteral(" title"), g->title());
        }
        Add(out, where + QStringLiteral(" hint"), w->toolTip());
    }
    return out;
}

QList<ShownText> MenuTexts(QWidget* mainWindow) {
    QList<ShownText> out;
    auto* bar = mainWindow->findChild<QMenuBar*>();
    if (bar == nullptr)
        return out;
    for (QAction* top : bar->actions()) {
        Add(out, QStringLiteral("menu ") + top->objectName(), top->text());
        if (QMenu* menu = top->menu()) {
            for (QAction* a : menu->actions()) {
                const QString where = QStringLiteral("menu item ") + a->objectName();
                Add(out, where, a->text());
                if (a->toolTip() != QString(a->text()).remove(QLatin1Char('&')))
                    Add(out, where + QStringLiteral(" hint"), a->toolTip());
            }
        }
    }
    return out;
}

MessageTables AllMessageTables() {
    MessageTables t;
    auto add = [&](const char* name, const char* context, const QStringList& table) {
        t.Names << QLatin1String(name);
        t.Contexts << QLatin1String(context);
        t.Tables << table;
    };
    add("main window ListBox1", "TFormMain", FormMain->ListBox1);
    add("main window ListBox2", "TFormMain", FormMain->ListBox2);
    add("TFormMsg", "TFormMsg", FormMsg->MessageTable());
    add("TFormAbout", "TFormAbout", FormAbout->MessageTable());
    add("TFormCompany", "TFormCompany", FormCompany->MessageTable());
    add("TFormChangeSens", "TFormChangeSens", FormChangeSens->MessageTable());
    return t;
}

bool LanguageNeutral(const QString& text) {
    // Units, names and words that German writes the same way.
    static const QStringList same = {
        QStringLiteral("OK"),
        QStringLiteral("bar"),
        QStringLiteral("kPa"),
        QStringLiteral("psi"),
        QStringLiteral("&Name"),
        QStringLiteral("&Fax"),
        QStringLiteral("Information"),
        QStringLiteral("Sensor-SN"),
        QStringLiteral("Bitmaps (*.bmp)"),
    };
    if (same.contains(text))
        return true;
    // Brand, product, version, copyright, web and mail addresses.
    static const QRegularExpression brand(QStringLiteral(
        "KALDORIAN|GmbH|VRX-?310|\\(c\\)|\\bV\\d[\\d.]*|[\\w.-]+@[\\w.-]+|www\\.[\\w.-]+"));
    QString rest = text;
    rest.remove(brand);
    return !rest.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}
