// The save dialog adds ".vts" itself and asks before it replaces that file.
#include "QtGermanTranslation.h"
#include "SettingsFileDialogs.h"
#include "helpers/WindowHarness.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

using namespace korvane;

class TestSettingsFileDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void asksBeforeReplacingTheSuffixedFile() {
        QTemporaryDir dir;
        QVERIFY(test::writeBytes(dir.filePath(QStringLiteral("anlage.vts")), {}));
        // The typed name; whether "anlage.vts" exists under it.
        const std::pair<QString, bool> cases[] = {
            {"anlage", true}, {"anlage.vts", true}, {"neu", false}};
        for (const auto& [typed, exists] : cases) {
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
            if (!exists)
                QCOMPARE(dialog.selectedFiles(), QStringList{dir.filePath(typed + ".vts")});
        }
    }

    void standardDialogsSpeakGerman() {
        QVERIFY2(installQtGermanTranslation(this), "qt6-translations-l10n is not installed");
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE((QStringList{box.button(QMessageBox::Cancel)->text(),
                              box.button(QMessageBox::Yes)->text(), QFileDialog::tr("&Save")}),
                 (QStringList{"Abbrechen", "&Ja", "S&peichern"}));
    }
};

QTEST_MAIN(TestSettingsFileDialogs)
#include "tst_settingsfiledialogs.moc"
