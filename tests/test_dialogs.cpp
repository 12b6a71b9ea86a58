// The password dialog, the info dialog and the German standard buttons of message boxes.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "ui/message_box.h"
#include "windows/application.h"
#include "windows/info_form.h"
#include "windows/pass_form.h"

namespace {
// Shows `dialog` modally and runs `whileShown` inside its loop; returns the dialog's result.
int runModal(QDialog& dialog, const std::function<void()>& whileShown) {
    QTimer::singleShot(0, &dialog, whileShown);
    return dialog.exec();
}

// Types `text` key by key, letters beyond ASCII included.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

QString withoutMnemonic(QString text) {
    return text.remove('&');
}
}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void passwordRule_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("capitals") << QByteArray("TR$WX") << true;
        QTest::newRow("lower case") << QByteArray("tr$wx") << true;
        QTest::newRow("mixed case") << QByteArray("Tr$wX") << true;
        QTest::newRow("blank before") << QByteArray(" TR$WX") << false;
        QTest::newRow("blank after") << QByteArray("TR$WX ") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("too short") << QByteArray("TR$W") << false;
        QTest::newRow("too long") << QByteArray("TR$WXX") << false;
        QTest::newRow("digit for the dollar") << QByteArray("TR4WX") << false;
        QTest::newRow("umlaut added") << QByteArray("tr$wx\xE4") << false;
    }

    void passwordRule() {
        QFETCH(QByteArray, typed);
        QFETCH(bool, accepted);
        QCOMPARE(passwordMatches(typed.toStdString()), accepted);
    }

    // Windows-1252 letters with accents and umlauts are upper-cased too.
    void passwordUpperCasingOfCp1252() {
        QVERIFY(passwordMatches("m\xE4rz", "M\xC4RZ"));
        QVERIFY(passwordMatches("M\xC4RZ", "M\xC4RZ"));
        QVERIFY(passwordMatches("caf\xE9", "CAF\xC9"));
        // The umlaut in UTF-8 is two other bytes.
        QVERIFY(!passwordMatches("m\xC3\xA4rz", "M\xC4RZ"));
        // No capital for the sharp s: it stays as it is.
        QVERIFY(
            passwordMatches("stra\xDF"
                            "e",
                            "STRA\xDF"
                            "E"));
        QVERIFY(!passwordMatches("strasse",
                                 "STRA\xDF"
                                 "E"));
    }

    void passwordDialogLayout() {
        TPassForm form;
        QCOMPARE(form.windowTitle(), QString("Konfigurations Passwort"));
        QCOMPARE(form.size(), QSize(233, 93));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.palette().color(QPalette::Window), form.palette().color(QPalette::Button));
        QCOMPARE(form.Label1->text(), QString("Passwort Eingabe"));
        QCOMPARE(form.Label1->pos(), QPoint(8, 9));
        QCOMPARE(form.Password->geometry(), QRect(8, 27, 217, 21));
        QCOMPARE(form.Password->echoMode(), QLineEdit::Password);
        QCOMPARE(form.Password->palette().color(QPalette::Base),
                 form.palette().color(QPalette::ToolTipBase));
        QCOMPARE(form.OKBtn->geometry(), QRect(70, 59, 75, 25));
        QCOMPARE(form.CancelBtn->geometry(), QRect(150, 59, 75, 25));
        // Qt's German translation leaves the dialog's own captions alone.
        QCOMPARE(form.OKBtn->text(), QString("OK"));
        QCOMPARE(form.CancelBtn->text(), QString("Cancel"));
        QVERIFY(form.OKBtn->isDefault());
        QCOMPARE(form.Password->nextInFocusChain(), form.OKBtn);
        QCOMPARE(form.OKBtn->nextInFocusChain(), form.CancelBtn);
        QCOMPARE(form.password, std::string("TR$WX"));
    }

    // The password dialog over the main window, the info dialog in the middle of the screen.
    void dialogPlaces() {
        QWidget main;
        main.setGeometry(150, 200, 293, 214);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        TPassForm password(&main);
        TInfoForm info(&main);
        QPoint passwordOffset, infoOffset;
        runModal(password, [&] {
            passwordOffset = password.frameGeometry().center() - main.frameGeometry().center();
            password.CancelBtn->click();
        });
        runModal(info, [&] {
            infoOffset =
                info.frameGeometry().center() - info.screen()->availableGeometry().center();
            info.OkButton->click();
        });
        QVERIFY(passwordOffset.manhattanLength() <= 2);
        QVERIFY(infoOffset.manhattanLength() <= 2);
    }

    void passwordDialogResults_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("lower case, Enter") << "tr$wx" << int(Qt::Key_Return) << 1;
        QTest::newRow("mixed case, keypad Enter") << "tR$Wx" << int(Qt::Key_Enter) << 1;
        QTest::newRow("blank before") << " TR$WX" << int(Qt::Key_Return) << 2;
        QTest::newRow("blank after") << "TR$WX " << int(Qt::Key_Return) << 2;
        QTest::newRow("empty") << "" << int(Qt::Key_Return) << 2;
        QTest::newRow("wrong") << "TR$WY" << int(Qt::Key_Return) << 2;
        QTest::newRow("right, but Escape") << "TR$WX" << int(Qt::Key_Escape) << 2;
    }

    void passwordDialogResults() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, result);
        TPassForm form;
        const int ended = runModal(form, [&] {
            QTest::keyClicks(form.Password, typed);
            QTest::keyClick(form.Password, Qt::Key(key));
        });
        QCOMPARE(ended, result);
        QVERIFY(form.isHidden());
    }

    void passwordDialogButtonsAndCloseBox() {
        TPassForm form;
        QCOMPARE(runModal(form,
                          [&] {
                              QTest::keyClicks(form.Password, "Tr$wx");
                              form.OKBtn->click();
                          }),
                 1);
        QCOMPARE(runModal(form,
                          [&] {
                              QTest::keyClicks(form.Password, "TR$WX");
                              form.CancelBtn->click();
                          }),
                 2);
        QCOMPARE(runModal(form,
                          [&] {
                              QTest::keyClicks(form.Password, "TR$WX");
                              form.close();
                          }),
                 2);
    }

    void passwordFieldEmptiedAtEveryShowing() {
        TPassForm form;
        form.Password->setText("left over");
        for (const char* attempt : {"falsch", "noch falsch"}) {
            QString shownText = "not shown";
            const int result = runModal(form, [&] {
                shownText = form.Password->text();
                QTest::keyClicks(form.Password, attempt);
                QTest::keyClick(form.Password, Qt::Key_Return);
            });
            QCOMPARE(result, 2);
            QCOMPARE(shownText, QString());
        }
    }

    void passwordTypedWithUmlaut() {
        TPassForm form;
        form.password = "M\xC4RZ";
        auto typeAndEnter = [&](const QString& typed) {
            return runModal(form, [&] {
                typeText(form.Password, typed);
                QTest::keyClick(form.Password, Qt::Key_Return);
            });
        };
        QCOMPARE(typeAndEnter(QString::fromUtf8("märz")), 1);
        QCOMPARE(typeAndEnter(QString::fromUtf8("MäRz")), 1);
        QCOMPARE(typeAndEnter(QString::fromUtf8("marz")), 2);
    }

    void infoDialogLayout() {
        TInfoForm form;
        QCOMPARE(form.windowTitle(), QString("Info"));
        QCOMPARE(form.size(), QSize(366, 262));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        const Qt::WindowFlags flags = form.windowFlags();
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(!(flags & Qt::WindowSystemMenuHint));
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(form.palette().color(QPalette::Window), form.palette().color(QPalette::Button));
        QCOMPARE(form.Logo->geometry(), QRect(36, 68, 33, 37));
        QVERIFY(!form.Logo->pixmap().isNull());
        QCOMPARE(form.VersionLabel->text(), QString("Version  2.00"));
        QCOMPARE(form.VersionLabel->pos(), QPoint(36, 232));
        QCOMPARE(form.OkButton->text(), QString("OK"));
        QCOMPARE(form.OkButton->geometry(), QRect(276, 228, 75, 25));
        // The maker's labels lie between the logo's top and the version label, and some of
        // them are links.
        int links = 0;
        for (QLabel* label : form.findChildren<QLabel*>()) {
            if (label == form.Logo || label == form.VersionLabel) continue;
            QVERIFY2(label->geometry().top() >= 68, qPrintable(label->text()));
            QVERIFY2(label->geometry().bottom() < 232, qPrintable(label->text()));
            if (label->openExternalLinks()) ++links;
        }
        QVERIFY(links >= 1);
    }

    void infoDialogClosesOnlyWithOk() {
        TInfoForm form;
        QStringList before;
        for (QLabel* label : form.findChildren<QLabel*>()) before << label->text();
        for (int showing = 0; showing < 2; ++showing) {
            bool openAfterEscape = false;
            bool openAfterCloseBox = false;
            const int result = runModal(form, [&] {
                QTest::keyClick(&form, Qt::Key_Escape);
                openAfterEscape = form.isVisible();
                form.close();
                openAfterCloseBox = form.isVisible();
                form.OkButton->click();
            });
            QVERIFY(openAfterEscape);
            QVERIFY(openAfterCloseBox);
            QCOMPARE(result, 1);
            QVERIFY(form.isHidden());
        }
        QStringList after;
        for (QLabel* label : form.findChildren<QLabel*>()) after << label->text();
        QCOMPARE(after, before);
    }

    void messageBoxButtonsInGerman() {
        QStringList captions;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            captions << withoutMnemonic(box->button(QMessageBox::Yes)->text())
                     << withoutMnemonic(box->button(QMessageBox::No)->text());
            defaultButton = box->standardButton(box->defaultButton());
            box->button(QMessageBox::No)->click();
        });
        const auto answer = showMessageBox({"Wirklich?", "Frage", QMessageBox::Warning,
                                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
        QCOMPARE(answer, QMessageBox::No);
        QCOMPARE(captions, (QStringList{"Ja", "Nein"}));
        QCOMPARE(defaultButton, QMessageBox::No);

        QMessageBox box(QMessageBox::Warning, "Frage", "Text",
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(withoutMnemonic(box.button(QMessageBox::Cancel)->text()), QString("Abbrechen"));
        QCOMPARE(withoutMnemonic(box.button(QMessageBox::Ok)->text()), QString("OK"));
    }
};

int main(int argc, char** argv) {
    // The program's own application object: it loads the German translation.
    LorvantApplication application(argc, argv);
    DialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_dialogs.moc"
