// The operator names dialog on its own and through the main window's
// "Names of operators" action.
#include "tests/common/modal_script.h"
#include "tests/ui_main/main_window_fixture.h"

#include "dialogs/form_names.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// The dialog on its own, with a settings file in a fresh folder.
struct Standalone {
    Standalone() : settings(dir.filePath(QStringLiteral("VRX310.ini")).toStdString()) {
        dialog.SetSettings(&settings);
    }
    QTemporaryDir dir;
    SettingsFile settings;
    TFormNames dialog;
};

using Names = std::vector<std::string>;

} // namespace

class TestFormNames : public QObject {
    Q_OBJECT
private slots:
    void emptyListTakesOneNameTypedWithEnter();
    void emptyAndBlankNamesAreNotAddedDuplicatesAre();
    void enterAndEscapeActOnAnOpenEditFirst();
    void closeBoxCancelsEvenDuringAnEdit();
    void reopensWhereItClosed();
    void cancelChangesNothingButThePosition();
    void selectorKeepsItsIndexOrTakesTheLast();
    void deletingAllNamesLeavesNoNumberedKeys();
};

void TestFormNames::emptyListTakesOneNameTypedWithEnter() {
    Standalone s;
    TFormNames& d = s.dialog;
    Names names;
    int rowAtOpen = 99;
    QWidget* focusAtOpen = nullptr;
    bool panelAfterEdit = true;
    int countAfterDelete = -1;
    QStringList itemsAfterAdd;
    int rowAfterAdd = -1;
    bool openAfterAdd = false;

    ModalScript script;
    script.On(&d, [&](QWidget*) {
        rowAtOpen = d.ListBox1->currentRow();
        focusAtOpen = d.focusWidget();
        d.BitBtnEdit->click();
        panelAfterEdit = d.Panel1->isVisible();
        d.BitBtnDelete->click();
        countAfterDelete = d.ListBox1->count();
        d.BitBtnAdd->click();
        // Typed key by key; keyClicks knows no letters beyond ASCII.
        for (const QChar c : QStringLiteral("Jürgen"))
            QTest::sendKeyEvent(QTest::Click, d.EditName, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        QTest::keyClick(d.EditName, Qt::Key_Return);
        itemsAfterAdd = Items(d.ListBox1);
        rowAfterAdd = d.ListBox1->currentRow();
        openAfterAdd = d.isVisible() && d.Panel1->isHidden();
        // Enter with no edit open accepts the dialog.
        QTest::keyClick(d.ListBox1, Qt::Key_Return);
    });
    QVERIFY(d.EditNames(names));
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);

    QCOMPARE(rowAtOpen, -1);
    QCOMPARE(focusAtOpen, static_cast<QWidget*>(d.BitBtnOk));
    QVERIFY(!panelAfterEdit);
    QCOMPARE(countAfterDelete, 0);
    QCOMPARE(itemsAfterAdd, QStringList{QStringLiteral("Jürgen")});
    QCOMPARE(rowAfterAdd, 0);
    QVERIFY(openAfterAdd);
    // The list holds the settings file's single bytes.
    QCOMPARE(names, Names{"J\xFCrgen"});
}

void TestFormNames::emptyAndBlankNamesAreNotAddedDuplicatesAre() {
    Standalone s;
    TFormNames& d = s.dialog;
    Names names{"Anna", "Bert"};
    int rowAtOpen = -1;
    QStringList afterEmpty, afterBlank;
    int rowAfterEmpty = -1;
    bool panelHiddenAfterEmpty = false;
    int modeAfterEmpty = -1;
    bool openAfterOkOnEdit = false;

    ModalScript script;
    script.On(&d, [&](QWidget*) {
        rowAtOpen = d.ListBox1->currentRow();
        d.BitBtnAdd->click();
        d.BitBtnEditOk->click();
        afterEmpty = Items(d.ListBox1);
        rowAfterEmpty = d.ListBox1->currentRow();
        panelHiddenAfterEmpty = d.Panel1->isHidden();
        modeAfterEmpty = d.EditMode();
        d.BitBtnAdd->click();
        QTest::keyClicks(d.EditName, QStringLiteral("   "));
        d.BitBtnEditOk->click();
        afterBlank = Items(d.ListBox1);
        d.BitBtnAdd->click();
        QTest::keyClicks(d.EditName, QStringLiteral("Anna"));
        // The dialog's OK confirms an open edit and keeps the dialog open.
        d.BitBtnOk->click();
        openAfterOkOnEdit = d.isVisible() && d.EditMode() == 0;
        d.BitBtnOk->click();
    });
    QVERIFY(d.EditNames(names));
    QVERIFY(!script.TimedOut());

    QCOMPARE(rowAtOpen, 0);
    QCOMPARE(afterEmpty, (QStringList{"Anna", "Bert"}));
    QCOMPARE(rowAfterEmpty, 1);
    QVERIFY(panelHiddenAfterEmpty);
    QCOMPARE(modeAfterEmpty, 0);
    QCOMPARE(afterBlank, (QStringList{"Anna", "Bert"}));
    QVERIFY(openAfterOkOnEdit);
    QCOMPARE(names, (Names{"Anna", "Bert", "Anna"}));
}

void TestFormNames::enterAndEscapeActOnAnOpenEditFirst() {
    Standalone s;
    TFormNames& d = s.dialog;
    Names names{"Anna", "Bert"};
    QStringList afterEscape, afterRename, afterEmptied, afterMovedSelection;
    bool openAfterEscape = false;
    bool openAfterEnter = false;
    QString editText;
    int countWhileEditing = -1;

    ModalScript script;
    script.On(&d, [&](QWidget*) {
        d.BitBtnAdd->click();
        QTest::keyClicks(d.EditName, QStringLiteral("Carl"));
        QTest::keyClick(d.EditName, Qt::Key_Escape);
        afterEscape = Items(d.ListBox1);
        openAfterEscape = d.isVisible() && d.Panel1->isHidden() && d.EditMode() == 0;

        d.ListBox1->setCurrentRow(1);
        d.BitBtnEdit->click();
        editText = d.EditName->text();
        QTest::keyClicks(d.EditName, QStringLiteral("Berta")); // replaces the selected text
        QTest::keyClick(d.EditName, Qt::Key_Enter);
        afterRename = Items(d.ListBox1);
        openAfterEnter = d.isVisible() && d.Panel1->isHidden();

        // Emptying an entry keeps its name: no empty name may be stored.
        d.ListBox1->setCurrentRow(0);
        d.BitBtnEdit->click();
        d.EditName->clear();
        QTest::keyClick(d.EditName, Qt::Key_Return);
        afterEmptied = Items(d.ListBox1);

        // The edit replaces the entry it started on, whatever is selected
        // meanwhile; Delete under the panel does nothing.
        d.ListBox1->setCurrentRow(0);
        d.BitBtnEdit->click();
        QTest::keyClicks(d.EditName, QStringLiteral("Anne"));
        d.ListBox1->setCurrentRow(1);
        d.BitBtnDelete->click();
        countWhileEditing = d.ListBox1->count();
        QTest::keyClick(d.EditName, Qt::Key_Return);
        afterMovedSelection = Items(d.ListBox1);

        // No edit open: Escape cancels the dialog.
        QTest::keyClick(d.ListBox1, Qt::Key_Escape);
    });
    QVERIFY(!d.EditNames(names));
    QVERIFY(!script.TimedOut());

    QCOMPARE(afterEscape, (QStringList{"Anna", "Bert"}));
    QVERIFY(openAfterEscape);
    QCOMPARE(editText, QStringLiteral("Bert"));
    QCOMPARE(afterRename, (QStringList{"Anna", "Berta"}));
    QVERIFY(openAfterEnter);
    QCOMPARE(afterEmptied, (QStringList{"Anna", "Berta"}));
    QCOMPARE(countWhileEditing, 2);
    QCOMPARE(afterMovedSelection, (QStringList{"Anne", "Berta"}));
    // Cancelled: the caller's list is untouched.
    QCOMPARE(names, (Names{"Anna", "Bert"}));
}

void TestFormNames::closeBoxCancelsEvenDuringAnEdit() {
    Standalone s;
    TFormNames& d = s.dialog;
    Names names{"Anna"};
    ModalScript script;
    script.On(&d, [&](QWidget*) {
        d.BitBtnAdd->click();
        QTest::keyClicks(d.EditName, QStringLiteral("Bert"));
        d.close();
    });
    QVERIFY(!d.EditNames(names));
    QCOMPARE(d.result(), 2);
    QCOMPARE(names, Names{"Anna"});

    // The next opening starts without an edit.
    bool panelHidden = false;
    int mode = -1;
    script.On(&d, [&](QWidget*) {
        panelHidden = d.Panel1->isHidden();
        mode = d.EditMode();
        d.BitBtnCancel->click();
    });
    QVERIFY(!d.EditNames(names));
    QVERIFY(!script.TimedOut());
    QVERIFY(panelHidden);
    QCOMPARE(mode, 0);
}

void TestFormNames::reopensWhereItClosed() {
    Standalone s;
    TFormNames& d = s.dialog;
    Names names;
    QPoint first, second;
    ModalScript script;
    script.On(&d, [&](QWidget*) {
        first = d.pos();
        d.move(201, 77);
        d.BitBtnOk->click();
    });
    QVERIFY(d.EditNames(names));
    QCOMPARE(first, QPoint(20, 20));
    QCOMPARE(s.settings.ReadInteger("Names", "x", 0), 201);
    QCOMPARE(s.settings.ReadInteger("Names", "y", 0), 77);

    // Moved elsewhere meanwhile, it still opens at the stored place.
    d.move(5, 5);
    script.On(&d, [&](QWidget*) {
        second = d.pos();
        d.BitBtnCancel->click();
    });
    QVERIFY(!d.EditNames(names));
    QVERIFY(!script.TimedOut());
    QCOMPARE(second, QPoint(201, 77));
}

void TestFormNames::cancelChangesNothingButThePosition() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\r\n0=Anna\r\n1=Bert\r\nLastUser=1\r\n"
                                    "[Company]\r\nName=Werkstatt\r\n"));
    fx.Start();
    const QByteArray before = fx.SettingsBytes();
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 1);

    ModalScript script;
    script.On(FormNames, [&](QWidget*) {
        TFormNames& d = *FormNames;
        d.BitBtnAdd->click();
        QTest::keyClicks(d.EditName, QStringLiteral("Carl"));
        QTest::keyClick(d.EditName, Qt::Key_Return);
        d.ListBox1->setCurrentRow(0);
        d.BitBtnEdit->click();
        QTest::keyClicks(d.EditName, QStringLiteral("Anja"));
        QTest::keyClick(d.EditName, Qt::Key_Return);
        d.ListBox1->setCurrentRow(1);
        d.BitBtnDelete->click();
        d.move(140, 90);
        d.BitBtnCancel->click();
    });
    FormMain->ActionSettingsNames->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);

    QCOMPARE(FormMain->Operators(), (OperatorNames{"Anna", "Bert"}));
    QCOMPARE(Items(FormMain->ComboBoxNames), (QStringList{"Anna", "Bert"}));
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 1);
    // The file gained the two position keys and nothing else.
    QByteArray after = fx.SettingsBytes();
    QVERIFY(after.contains("x=140\r\ny=90\r\n"));
    after.replace("x=140\r\ny=90\r\n", "");
    QCOMPARE(after, before);
}

void TestFormNames::selectorKeepsItsIndexOrTakesTheLast() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\r\n0=Anna\r\n1=Bert\r\n2=Carl\r\nLastUser=1\r\n"));
    fx.Start();
    QCOMPARE(FormMain->ComboBoxNames->currentText(), QStringLiteral("Bert"));

    // Deleting the entry before the selected operator: same index, so the
    // following name.
    ModalScript script;
    script.On(FormNames, [&](QWidget*) {
        FormNames->ListBox1->setCurrentRow(0);
        FormNames->BitBtnDelete->click();
        FormNames->BitBtnOk->click();
    });
    FormMain->ActionSettingsNames->trigger();
    QCOMPARE(Items(FormMain->ComboBoxNames), (QStringList{"Bert", "Carl"}));
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 1);
    QCOMPARE(FormMain->Report().Operator, std::string("Carl"));
    QCOMPARE(FormMain->Operators(), (OperatorNames{"Bert", "Carl"}));
    SettingsFile settings(fx.SettingsPath().toStdString());
    QCOMPARE(ReadOperatorNames(settings), (OperatorNames{"Bert", "Carl"}));
    QCOMPARE(settings.ReadString("Names", "2", "(none)"), std::string("(none)"));

    // The index beyond the shorter list: the last item.
    script.On(FormNames, [&](QWidget*) {
        FormNames->ListBox1->setCurrentRow(1);
        FormNames->BitBtnDelete->click();
        FormNames->BitBtnOk->click();
    });
    FormMain->ActionSettingsNames->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(Items(FormMain->ComboBoxNames), QStringList{"Bert"});
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 0);
    QCOMPARE(settings.ReadString("Names", "1", "(none)"), std::string("(none)"));
}

void TestFormNames::deletingAllNamesLeavesNoNumberedKeys() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\r\n0=Anna\r\n1=Bert\r\n2=Carl\r\nLastUser=2\r\n"));
    fx.Start();
    int rowAfterDelete = 0;
    int countAfterSecondClick = 0;
    ModalScript script;
    script.On(FormNames, [&](QWidget*) {
        // Entry 0 is selected at opening; nothing is after a deletion, so
        // a second click takes no neighbour with it.
        FormNames->BitBtnDelete->click();
        rowAfterDelete = FormNames->ListBox1->currentRow();
        FormNames->BitBtnDelete->click();
        countAfterSecondClick = FormNames->ListBox1->count();
        while (FormNames->ListBox1->count() > 0) {
            FormNames->ListBox1->setCurrentRow(0);
            FormNames->BitBtnDelete->click();
        }
        FormNames->BitBtnOk->click();
    });
    FormMain->ActionSettingsNames->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(rowAfterDelete, -1);
    QCOMPARE(countAfterSecondClick, 2);
    QCOMPARE(FormMain->ComboBoxNames->count(), 0);
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), -1);
    QVERIFY(FormMain->Operators().empty());
    const ProfileText text(fx.SettingsBytes().toStdString());
    for (const char* key : {"0", "1", "2"})
        QVERIFY2(!text.Value("Names", key).has_value(), key);
    QCOMPARE(text.Value("Names", "LastUser").value_or(""), std::string("2"));
}

QTEST_MAIN(TestFormNames)
#include "test_form_names.moc"
