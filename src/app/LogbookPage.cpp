#include "LogbookPage.h"

#include "ColumnCaption.h"
#include "FixedPitchFont.h"
#include "OpenMessageBox.h"
#include "logbook/LogbookTransfer.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace korvane {
namespace {

// `LB` uses Courier New at 8 point.
constexpr int kListPointSize = 8;

QPushButton* makeButton(const char* name, const QString& caption, const QString& hint,
                        QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    return b;
}

} // namespace

LogbookPage::LogbookPage(LogbookTransfer& transfer, QWidget* parent)
    : QWidget(parent), m_transfer(transfer),
      m_captions(new ColumnCaption(kLogListCaption, kLogListColumns, this)),
      m_list(new QListWidget(this)),
      m_read(makeButton("Logbuch_Button", QStringLiteral("Logbuch lesen"),
                        QStringLiteral("Die nächsten 100 Logbuch-Einträge lesen"), this)),
      m_fromStart(makeButton("Logbuch_Anfang", QStringLiteral("Ab Anfang"),
                             QStringLiteral("Logbuch ab Anfang lesen"), this)),
      m_clear(makeButton("Logbuch_Loeschen", QStringLiteral("Logbuch löschen"), QString(), this)),
      m_save(makeButton("Logbuch_save_Button", QStringLiteral("Save to Disk"), QString(), this)),
      m_progress(new QProgressBar(this)), m_saveDialog(&LogbookPage::runSaveDialog) {
    m_captions->setObjectName(QStringLiteral("Label34"));
    m_list->setObjectName(QStringLiteral("LB"));
    m_list->setFont(fixedPitchFont(kListPointSize));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // The captions, in the narrower interface font, start at their columns.
    m_captions->setGrid(m_list->frameWidth() +
                            m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1,
                        m_list->fontMetrics().horizontalAdvance(QLatin1Char('M')));
    for (int r = 0; r < LogbookList::kRowCount; ++r)
        m_list->addItem(QString());
    m_progress->setObjectName(QStringLiteral("LogbuchProgressBar"));
    m_progress->setRange(0, 0);
    m_progress->setValue(0);
    m_progress->hide();

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_read, m_fromStart, m_clear, m_save})
        buttons->addWidget(b);
    buttons->addWidget(m_progress, 1);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_captions);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_read, &QPushButton::clicked, this, [this] { readClicked(false); });
    connect(m_fromStart, &QPushButton::clicked, this, [this] { readClicked(true); });
    connect(m_clear, &QPushButton::clicked, this, &LogbookPage::clearClicked);
    connect(m_save, &QPushButton::clicked, this, &LogbookPage::saveClicked);

    connect(&m_transfer, &LogbookTransfer::listReset, this, &LogbookPage::reloadRows);
    connect(&m_transfer, &LogbookTransfer::rowChanged, this, [this](int row, const QString& text) {
        if (QListWidgetItem* item = m_list->item(row))
            item->setText(text);
    });
    connect(&m_transfer, &LogbookTransfer::rowSelected, m_list,
            [this](int row) { m_list->setCurrentRow(row); });
    connect(&m_transfer, &LogbookTransfer::progress, this, [this](int value, int maximum) {
        m_progress->setRange(0, qMax(0, maximum));
        m_progress->setValue(qBound(0, value, qMax(0, maximum)));
    });
    connect(&m_transfer, &LogbookTransfer::busyChanged, this, [this](bool busy) {
        if (!busy)
            m_progress->hide();
        updateButtons();
        Q_EMIT busyChanged(busy);
    });
    connect(&m_transfer, &LogbookTransfer::finished, this, [this](bool ok, const QString& text) {
        if (!ok && !text.isEmpty())
            showMessage(text);
    });
    reloadRows();
    updateButtons();
}

void LogbookPage::setButtonsEnabled(bool enabled) {
    m_allowed = enabled;
    updateButtons();
}

void LogbookPage::updateButtons() {
    const bool on = m_allowed && !m_transfer.isBusy();
    for (QPushButton* b : {m_read, m_fromStart, m_clear, m_save})
        b->setEnabled(on);
}

void LogbookPage::reloadRows() {
    const QStringList& rows = m_transfer.list().rows();
    for (int r = 0; r < rows.size() && r < m_list->count(); ++r)
        m_list->item(r)->setText(rows[r]);
}

void LogbookPage::readClicked(bool fromStart) {
    if (!m_transfer.startRead(fromStart))
        showMessage(QStringLiteral("Eine andere Übertragung läuft noch."));
}

void LogbookPage::clearClicked() {
    m_transfer.clearLog();
}

void LogbookPage::saveClicked() {
    const QString path = m_saveDialog ? m_saveDialog(this) : QString();
    if (path.isEmpty())
        return; // cancelled: nothing was disabled
    QString error;
    if (!m_transfer.startExport(path, &error)) {
        showMessage(error);
        return;
    }
    m_progress->setValue(0);
    m_progress->show();
}

void LogbookPage::showMessage(const QString& text) {
    if (m_messageSink)
        m_messageSink(text);
    else
        openMessageBox(this, text, QMessageBox::Warning);
}

QString LogbookPage::runSaveDialog(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveDialog_Logbuch"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Vendrix Logbuch-File (*.vlf)"));
    dialog.setDefaultSuffix(QStringLiteral("vlf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace korvane
