#pragma once

#include "ControllerPage.h"
#include "DesktopProgram.h"
#include "FakeLink.h"
#include "FileBytes.h"
#include "MainWindow.h"
#include "params/ParameterSet.h"
#include "session/ControllerSession.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <memory>

namespace korvane::test {

using FakeSerialLink = ::FakeLink;

// What a user's pick does: select the item and report the activation.
inline void choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}
// A click on item `row` as a user makes it: selected, then clicked.
inline void clickItem(QListWidget* list, int row) {
    list->setCurrentRow(row);
    Q_EMIT list->itemClicked(list->item(row));
}
inline QModelIndex rowIndex(QListWidget* list, int row) {
    return list->model()->index(row, 0);
}
inline QStringList rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}
// Those of `names` below `root` that are missing, or hidden (or disabled).
inline QStringList hiddenOf(const QObject* root, const QStringList& names, bool disabled = false) {
    QStringList found;
    for (const QString& name : names)
        if (auto* w = root->findChild<QWidget*>(name);
            !w || (disabled ? !w->isEnabled() : w->isHidden()))
            found << name;
    return found;
}

inline const QStringList kConnectionButtonNames{"Send_Button",         "Read_Button",
                                                "Logbuch_Button",      "Logbuch_Anfang",
                                                "Logbuch_save_Button", "Logbuch_Loeschen"};

// The desktop program over a fake link, a temporary settings file and recorded messages.
class WindowHarness {
public:
    // `ini`: Korvane.ini (nullptr: none); `open`: link open from the start, no start-up.
    explicit WindowHarness(const char* ini = nullptr, bool open = false)
        : program(std::make_unique<DesktopProgram>(link, writeIni(dir, ini))),
          session(program->session()), window(&program->window()) {
        const int manualOnly = 3600 * 1000; // the test drives every tick itself
        session.setTimerIntervals(manualOnly, manualOnly, manualOnly);
        window->setMessagePresenter([this](const QString& text) { messages.append(text); });
        if (open)
            session.openDevice(QStringLiteral("/dev/fake"));
    }
    QString iniPath() const { return dir.filePath("Korvane.ini"); }
    ParameterSet& params() { return program->params(); }
    void clearFlags() {
        for (BlockTable& table : params().blocks)
            for (auto& profile : table)
                for (BlockRecord& rec : profile)
                    rec.changed = false;
    }
    // Shows the window and waits for the start-up to have run.
    bool activate() {
        window->show();
        return QTest::qWaitFor([this] { return window->isActivated(); });
    }
    // The controller reports `model`; one poll tick evaluates it.
    void connectModel(const QByteArray& model) {
        link.reply("smo", model);
        session.pollTick();
    }
    void sendLiveValues(const std::array<int, 16>& values) {
        QByteArray payload;
        for (int v : values)
            payload += QByteArray::number(v) + ',';
        link.reply("skd", payload);
    }
    template <typename T = QWidget> T* find(const QString& name) const {
        return window->findChild<T*>(name);
    }
    void choose(const QString& combo, int index) { test::choose(find<QComboBox>(combo), index); }
    QStringList hidden(const QStringList& names) const { return hiddenOf(window, names); }
    QStringList disabledButtons() const { return hiddenOf(window, kConnectionButtonNames, true); }
    // Whether `name` shows when its tab page is shown (not hidden, nor its group).
    bool shownOnPage(const QString& name) const {
        QWidget* widget = find(name);
        QWidget* page = widget;
        while (page && !qobject_cast<ControllerPage*>(page))
            page = page->parentWidget();
        return widget && widget->isVisibleTo(page ? page : window);
    }
    QString text(const QString& name) const {
        if (auto* field = find<QLineEdit>(name))
            return field->text();
        if (auto* label = find<QLabel>(name))
            return label->text();
        return QStringLiteral("<no widget %1>").arg(name);
    }

    QTemporaryDir dir;
    FakeSerialLink link;
    QStringList messages;
    std::unique_ptr<DesktopProgram> program;
    ControllerSession& session;
    MainWindow* window;

private:
    static QString writeIni(const QTemporaryDir& dir, const char* ini) {
        const QString path = dir.filePath("Korvane.ini");
        return !ini || writeBytes(path, ini) ? path : QString();
    }
};

} // namespace korvane::test
