#include "WindowHarness.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace korvane::test {
namespace {

constexpr int kManualOnlyMs = 3600 * 1000;

QWidget* contentWith(const QStringList& buttons, const QString& progressBar) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    for (const QString& name : buttons) {
        auto* button = new QPushButton(name);
        button->setObjectName(name);
        layout->addWidget(button);
    }
    auto* bar = new QProgressBar;
    bar->setObjectName(progressBar);
    layout->addWidget(bar);
    return content;
}

} // namespace

WindowHarness::WindowHarness(const char* ini) {
    if (ini) {
        QFile file(iniPath());
        if (file.open(QIODevice::WriteOnly))
            file.write(ini);
    }
    // The test drives every tick itself.
    session.setTimerIntervals(kManualOnlyMs, kManualOnlyMs, kManualOnlyMs);

    window = std::make_unique<MainWindow>(session, iniPath());
    window->setMessagePresenter([this](const QString& text) { messages.append(text); });

    QWidget* switchTimes = contentWith(kConnectionButtonNames.mid(0, 2), "ProgressBar");
    auto* port = new QComboBox;
    port->setObjectName("Combo_PortNum");
    for (int n = 1; n <= 8; ++n)
        port->addItem(QStringLiteral("COM %1").arg(n));
    switchTimes->layout()->addWidget(port);
    auto* label21 = new QLabel;
    label21->setObjectName("Label21");
    switchTimes->layout()->addWidget(label21);
    window->setSwitchTimeContent(switchTimes);
    window->setLogbookContent(contentWith(kConnectionButtonNames.mid(2), "LogbuchProgressBar"));
}

WindowHarness::~WindowHarness() = default;

QString WindowHarness::iniPath() const {
    return dir.filePath("Korvane.ini");
}

bool WindowHarness::activate() {
    window->show();
    return QTest::qWaitFor([this] { return window->isActivated(); });
}

void WindowHarness::connectModel(const QByteArray& model) {
    link.reply("smo", model);
    session.pollTick();
}

void WindowHarness::sendLiveValues(const std::array<int, 16>& values) {
    QByteArray payload;
    for (int v : values)
        payload += QByteArray::number(v) + ',';
    link.reply("skd", payload);
}

} // namespace korvane::test
