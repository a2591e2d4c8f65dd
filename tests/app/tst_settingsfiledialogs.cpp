// The settings file's save dialog adds ".vts" itself and therefore asks
// before it replaces an existing file of the full name.
#include "QtGermanTranslation.h"
#include "SettingsFileDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace korvane;

class TestSettingsFileDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void asksBeforeReplacingTheSuffixedFile_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("exists");
        QTest::newRow("name without extension, file exists") << "anlage" << true;
        QTest::newRow("full name, file exists") << "anlage.vts" << true;
        QTest::newRow("new name") << "neu" << false;
    }

    void asksBeforeReplacingTheSuffixedFile() {
        QFETCH(QString, typed);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile old(dir.filePath(QStringLiteral("anlage.vts")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();

        QFileDialog dialog;
        setUpSettingsSaveDialog(dialog);
        dialog.setDirectory(dir.path());
        dialog.selectFile(typed);
        // Answer the question, if one comes, with "No".
        QString question;
        QTimer answer;
        connect(&answer, &QTimer::timeout, &dialog, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->text();
                box->button(QMessageBox::No)->click();
            }
        });
        answer.start(10);
        dialog.open();
        QMetaObject::invokeMethod(&dialog, "accept"); // what the "Save" button does
        answer.stop();

        QCOMPARE(!question.isEmpty(), exists);
        QVERIFY(question.isEmpty() || question.contains(QStringLiteral("anlage.vts")));
        // Declined: the dialog stays open; a new name is taken with ".vts".
        QCOMPARE(dialog.result() == QDialog::Accepted, !exists);
        if (!exists) {
            QCOMPARE(dialog.selectedFiles(), QStringList{dir.filePath(typed + ".vts")});
        }
    }

    // With Qt's German translations the standard buttons and the file
    // dialog's own texts are German.
    void standardDialogsSpeakGerman() {
        QVERIFY2(installQtGermanTranslation(this), "qt6-translations-l10n is not installed");
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
        QCOMPARE(QFileDialog::tr("&Save"), QStringLiteral("S&peichern"));
    }
};

QTEST_MAIN(TestSettingsFileDialogs)
#include "tst_settingsfiledialogs.moc"
