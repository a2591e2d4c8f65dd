#include "SwitchTimePage.h"

#include "NotifyingComboBox.h"
#include "WeekPlanView.h"
#include "params/MotorNames.h"
#include "params/SwitchTimeEditing.h"
#include "params/SwitchTimeTable.h"
#include "params/SwitchTimeTexts.h"
#include "text/SymbolText.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace korvane {

namespace {

QFont listFont() {
    QFont f(QStringLiteral("Courier New"));
    f.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    f.setPointSize(8);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

QComboBox* makeCombo(const QString& name, const QStringList& items, const QString& hint,
                     QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setToolTip(hint);
    return combo;
}

QPushButton* makeButton(const QString& name, const QString& caption, const QString& hint,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    return button;
}

// Names an editable drop-down whose text the user may type.
void makeNameCombo(QComboBox* combo, const QString& name, const QString& hint) {
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setToolTip(hint);
}

void selectIndex(QComboBox* combo, qint32 index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

std::optional<qint32> selectedIndex(const QComboBox* combo) {
    const int i = combo->currentIndex();
    return i >= 0 ? std::optional<qint32>(i) : std::nullopt;
}

// The two header lines over the slot columns: "Schaltzeit" over "Nr. k".
QString columnHeadings() {
    QString top = QString(kSwitchRowSlotColumn, QLatin1Char(' '));
    QString bottom = top;
    for (int k = 1; k <= kSlotsPerMotor; ++k) {
        top += QStringLiteral("Schaltzeit ");
        bottom += QStringLiteral("  Nr. %1    ").arg(k);
    }
    return top + QLatin1Char('\n') + bottom;
}

} // namespace

SwitchTimePage::SwitchTimePage(SwitchTimeTable& table, MotorNames& names, QWidget* parent)
    : QWidget(parent), m_table(table), m_names(names) {
    setObjectName(QStringLiteral("Schaltzeit_Maske"));

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildEditorBox());
    left->addWidget(buildCopyBox());
    top->addLayout(left, 1);
    top->addWidget(buildSideBoxes());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buildListArea(), 1);

    // Start-up state of the editor; the lists show their start-up rows until
    // the first rebuild.
    m_dayCombo->setCurrentIndex(0);
    m_motorCombo->setCurrentIndex(0);
    m_copyTargetCombo->setCurrentIndex(0);
    m_slotCombo->setCurrentIndex(0);
    setGroupItems(0);
    m_valueCombos[Direction]->setCurrentIndex(0);
    m_valueCombos[Time]->setCurrentIndex(0);
    m_valueCombos[Duration]->setCurrentIndex(kDefaultDuration);
    m_valueCombos[Group]->setCurrentIndex(0);
    m_valueCombos[Function]->setCurrentIndex(0);
    setCopySourceLabel(0);
    showOrder(SwitchTimeListOrder::ByMotor);
}

QWidget* SwitchTimePage::buildEditorBox() {
    auto* box = new QGroupBox(QStringLiteral("Schaltzeiten anzeigen und ändern"), this);
    auto* grid = new QGridLayout(box);

    m_dayCombo = makeCombo(QStringLiteral("CB_Wochentag"), dayAbbreviations(), QString(), box);
    m_motorCombo = new NotifyingComboBox(box);
    makeNameCombo(m_motorCombo, QStringLiteral("CB_Raum"), QString());
    m_motorCombo->addItems(m_names.toList());
    m_slotCombo = makeCombo(QStringLiteral("CB_Schaltzeit_Nr"), slotNumberItems(), QString(), box);

    QStringList directions = directionItems();
    for (QString& item : directions)
        item = symbolDisplayText(item);
    m_valueCombos[Direction] =
        makeCombo(QStringLiteral("CB_Up_Down"), directions, QStringLiteral("Laufrichtung"), box);
    m_valueCombos[Time] = makeCombo(QStringLiteral("CB_Schaltzeit"), timeItems(),
                                    QStringLiteral("Aktivierungs-Uhrzeit"), box);
    m_valueCombos[Time]->setMaxVisibleItems(16);
    m_valueCombos[Duration] = makeCombo(QStringLiteral("CB_Dauer"), durationItems(),
                                        QStringLiteral("Laufzeit des Motors bei Aktivierung"), box);
    m_valueCombos[Group] = makeCombo(QStringLiteral("CB_Gruppe"), groupItems(0),
                                     QStringLiteral("Schaltzeit gilt für mehrere Wochentage"), box);
    m_valueCombos[Function] = makeCombo(QStringLiteral("CB_Funktion"), functionItems(),
                                        QStringLiteral("Zufallsfunktion, Astro-Funktion"), box);

    const QList<std::pair<QString, QComboBox*>> columns{
        {QStringLiteral("Tag"), m_dayCombo},
        {QStringLiteral("Motor- bzw. Raumname"), m_motorCombo},
        {QStringLiteral("Schalt- Zeit-Nr."), m_slotCombo},
        {QStringLiteral("Auf- Ab"), m_valueCombos[Direction]},
        {QStringLiteral("Schaltzeit"), m_valueCombos[Time]},
        {QStringLiteral("Schalt- dauer"), m_valueCombos[Duration]},
        {QStringLiteral("Gruppe"), m_valueCombos[Group]},
        {QStringLiteral("Funktion"), m_valueCombos[Function]},
    };
    for (int c = 0; c < columns.size(); ++c) {
        grid->addWidget(new QLabel(columns[c].first, box), 0, c);
        grid->addWidget(columns[c].second, 1, c);
    }
    grid->setColumnStretch(1, 1);

    for (QComboBox* c : {m_dayCombo, m_slotCombo})
        connect(c, &QComboBox::activated, this, [this] { loadEditor(); });
    connect(m_motorCombo, &QComboBox::activated, this, &SwitchTimePage::onMotorPicked);
    for (QComboBox* c : m_valueCombos)
        connect(c, &QComboBox::activated, this, [this] { onValuePicked(); });

    // A typed name is confirmed by Enter, by leaving the field (Tab, a click
    // elsewhere) or by opening the list. The drop-down is the focus widget
    // and hands keys and focus changes to its text field directly, past any
    // filter on the field: watch the drop-down, before it acts on them.
    connect(m_motorCombo->lineEdit(), &QLineEdit::textEdited, this,
            [this] { m_nameEdited = true; });
    m_motorCombo->installEventFilter(this);
    m_motorCombo->lineEdit()->installEventFilter(this);
    connect(m_motorCombo, &NotifyingComboBox::popupAboutToShow, this,
            &SwitchTimePage::confirmRename);
    return box;
}

QWidget* SwitchTimePage::buildCopyBox() {
    auto* box = new QGroupBox(QStringLiteral("Schaltzeiten kopieren"), this);
    auto* row = new QHBoxLayout(box);
    m_copyFromLabel = new QLabel(box);
    m_copyFromLabel->setObjectName(QStringLiteral("copy_from_label"));
    m_copyFromLabel->setToolTip(QStringLiteral("Auswählen durch Anklicken in der Liste"));
    m_copyTargetCombo = new QComboBox(box);
    makeNameCombo(m_copyTargetCombo, QStringLiteral("CB_Copy_Raum"), QStringLiteral("Ziel-Motor"));
    m_copyTargetCombo->addItems(m_names.toList());
    row->addWidget(new QLabel(QStringLiteral("von:"), box));
    row->addWidget(m_copyFromLabel, 1);
    row->addWidget(new QLabel(QStringLiteral("nach:"), box));
    row->addWidget(m_copyTargetCombo, 1);
    connect(m_copyTargetCombo, &QComboBox::activated, this, &SwitchTimePage::onCopyTargetPicked);
    return box;
}

QWidget* SwitchTimePage::buildSideBoxes() {
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);

    auto* exchange = new QGroupBox(QStringLiteral("Datenaustausch Steuerung"), side);
    auto* exchangeLayout = new QVBoxLayout(exchange);
    m_sendButton = makeButton(QStringLiteral("Send_Button"),
                              QStringLiteral("Daten zur Steuerung senden"), QString(), exchange);
    m_readButton = makeButton(QStringLiteral("Read_Button"),
                              QStringLiteral("Daten von Steuerung lesen"), QString(), exchange);
    exchangeLayout->addWidget(m_sendButton);
    exchangeLayout->addWidget(m_readButton);

    auto* port = new QGroupBox(QStringLiteral("Port"), side);
    auto* portLayout = new QVBoxLayout(port);
    QStringList ports;
    for (int n = 1; n <= 8; ++n)
        ports << QStringLiteral("COM %1").arg(n);
    m_portCombo = makeCombo(QStringLiteral("Combo_PortNum"), ports, QString(), port);
    m_progressBar = new QProgressBar(port);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setTextVisible(false);
    m_progressBar->setValue(0);
    // Its room stays reserved, so that the page does not move while reading.
    QSizePolicy keepRoom = m_progressBar->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_progressBar->setSizePolicy(keepRoom);
    m_progressBar->hide();
    portLayout->addWidget(m_portCombo);
    portLayout->addWidget(m_progressBar);

    m_lineErrorLabel = new QLabel(side);
    m_lineErrorLabel->setObjectName(QStringLiteral("Label21"));

    auto* files = new QGroupBox(QStringLiteral("Sicherung auf Datenträger"), side);
    auto* filesLayout = new QVBoxLayout(files);
    m_saveButton = makeButton(
        QStringLiteral("SaveToDisk_Button"), QStringLiteral("Speichern auf Datenträger"),
        QStringLiteral("Schaltzeiten sowie alle weiteren Einstellungen auf Festplatte schreiben"),
        files);
    m_loadButton = makeButton(
        QStringLiteral("Read_From_Disk"), QStringLiteral("Lesen von Datenträger"),
        QStringLiteral("Schaltzeiten sowie alle weiteren Einstellungen aus Datenfile lesen"),
        files);
    filesLayout->addWidget(m_saveButton);
    filesLayout->addWidget(m_loadButton);

    column->addWidget(exchange);
    column->addWidget(port);
    column->addWidget(m_lineErrorLabel);
    column->addWidget(files);
    column->addStretch(1);

    connect(m_sendButton, &QPushButton::clicked, this, &SwitchTimePage::sendRequested);
    connect(m_readButton, &QPushButton::clicked, this, &SwitchTimePage::readRequested);
    connect(m_saveButton, &QPushButton::clicked, this, &SwitchTimePage::saveToDiskRequested);
    connect(m_loadButton, &QPushButton::clicked, this, &SwitchTimePage::readFromDiskRequested);
    connect(m_portCombo, &QComboBox::activated, this, &SwitchTimePage::portPicked);
    return side;
}

QWidget* SwitchTimePage::buildListArea() {
    auto* area = new QWidget(this);
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);

    auto* sortRow = new QHBoxLayout;
    auto* tagButton = makeButton(QStringLiteral("TagButton"), QStringLiteral("Tag"),
                                 QStringLiteral("Liste sortieren nach Tag"), area);
    auto* motorButton =
        makeButton(QStringLiteral("MotorButton"), QStringLiteral("Motor- bzw. Raum"),
                   QStringLiteral("Liste sortieren nach Motor"), area);
    sortRow->addWidget(new QLabel(QStringLiteral("Liste sortieren nach:"), area));
    auto* weekButton = makeButton(QStringLiteral("WochenplanButton"), QStringLiteral("Wochenplan"),
                                  QStringLiteral("Schaltzeiten des Motors als Wochenplan"), area);
    sortRow->addWidget(tagButton);
    sortRow->addWidget(motorButton);
    sortRow->addWidget(weekButton);
    sortRow->addStretch(1);
    column->addLayout(sortRow);

    auto* headings = m_headings = new QLabel(columnHeadings(), area);
    headings->setFont(listFont());
    column->addWidget(headings);

    auto* stack = new QGridLayout;
    for (SwitchTimeListOrder order : {SwitchTimeListOrder::ByDay, SwitchTimeListOrder::ByMotor}) {
        auto* list = new QListWidget(area);
        list->setObjectName(order == SwitchTimeListOrder::ByDay
                                ? QStringLiteral("DatenListe_Tag")
                                : QStringLiteral("DatenListe_Motor"));
        list->setToolTip(QStringLiteral("Anklicken überträgt Werte in Eingabemasken (oben links)"));
        list->setFont(listFont());
        list->setTextElideMode(Qt::ElideNone);
        list->setUniformItemSizes(true);
        list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->addItems(startupRows(order));
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::clicked, this,
                [this, order](const QModelIndex& index) { onRowClicked(order, index.row()); });
        stack->addWidget(list, 0, 0);
        (order == SwitchTimeListOrder::ByDay ? m_dayList : m_motorList) = list;
    }
    m_weekPlan = new WeekPlanView(m_table, area);
    m_weekPlan->setToolTip(
        QStringLiteral("Anklicken überträgt Werte in Eingabemasken (oben links)"));
    connect(m_weekPlan, &WeekPlanView::markClicked, this,
            [this](int day, int slot) { loadClickedSlot(day, m_weekPlan->motor(), slot); });
    // A crowded week may need more height than the page has: it scrolls.
    m_weekPlanArea = new QScrollArea(area);
    m_weekPlanArea->setFrameShape(QFrame::NoFrame);
    m_weekPlanArea->setWidgetResizable(true);
    m_weekPlanArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_weekPlanArea->setWidget(m_weekPlan);
    stack->addWidget(m_weekPlanArea, 0, 0);
    column->addLayout(stack, 1);
    headings->setIndent(m_dayList->frameWidth() +
                        style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_dayList) + 1);

    connect(tagButton, &QPushButton::clicked, this,
            [this] { showOrder(SwitchTimeListOrder::ByDay); });
    connect(motorButton, &QPushButton::clicked, this,
            [this] { showOrder(SwitchTimeListOrder::ByMotor); });
    connect(weekButton, &QPushButton::clicked, this, &SwitchTimePage::showWeekPlan);
    return area;
}

QListWidget* SwitchTimePage::list(SwitchTimeListOrder order) const {
    return order == SwitchTimeListOrder::ByDay ? m_dayList : m_motorList;
}

void SwitchTimePage::showOrder(SwitchTimeListOrder order) {
    m_shownOrder = order;
    m_weekPlanShown = false;
    m_weekPlanArea->hide();
    m_headings->show();
    m_dayList->setVisible(order == SwitchTimeListOrder::ByDay);
    m_motorList->setVisible(order == SwitchTimeListOrder::ByMotor);
}

void SwitchTimePage::showWeekPlan() {
    m_weekPlanShown = true;
    m_dayList->hide();
    m_motorList->hide();
    m_headings->hide();
    m_weekPlan->showMotor(editorMotor());
    m_weekPlanArea->show();
}

void SwitchTimePage::setRandomSpanSource(std::function<int()> minutes) {
    m_weekPlan->setRandomSpan(std::move(minutes));
    m_weekPlan->update();
}

int SwitchTimePage::editorDay() const {
    return m_dayCombo->currentIndex();
}

int SwitchTimePage::editorMotor() const {
    return m_motorCombo->currentIndex();
}

int SwitchTimePage::editorSlot() const {
    return m_slotCombo->currentIndex();
}

void SwitchTimePage::setCurrentMotor(int motor) {
    if (!MotorNames::isValidMotor(motor) || motor == m_currentMotor)
        return;
    m_currentMotor = motor;
    Q_EMIT currentMotorChanged(motor);
}

void SwitchTimePage::setCopySourceLabel(int motor) {
    m_copyFromLabel->setText(m_names.name(motor));
}

void SwitchTimePage::setGroupItems(int day) {
    QComboBox* group = m_valueCombos[Group];
    group->clear();
    group->addItems(groupItems(day));
}

void SwitchTimePage::selectListRows(int day, int motor) {
    m_dayList->setCurrentRow(rowOf(SwitchTimeListOrder::ByDay, day, motor));
    m_motorList->setCurrentRow(rowOf(SwitchTimeListOrder::ByMotor, day, motor));
}

void SwitchTimePage::rebuildLists() {
    for (SwitchTimeListOrder order : {SwitchTimeListOrder::ByDay, SwitchTimeListOrder::ByMotor}) {
        QListWidget* l = list(order);
        const QStringList rows = buildRows(order, m_table, m_names);
        for (int r = 0; r < rows.size() && r < l->count(); ++r)
            l->item(r)->setText(rows.at(r));
    }
    m_weekPlan->showMotor(editorMotor());
}

void SwitchTimePage::refreshMotorNames() {
    for (int m = 0; m < MotorNames::kCount; ++m) {
        m_motorCombo->setItemText(m, m_names.name(m));
        m_copyTargetCombo->setItemText(m, m_names.name(m));
    }
}

void SwitchTimePage::resetForReadAll() {
    for (QComboBox* c : {m_dayCombo, static_cast<QComboBox*>(m_motorCombo), m_slotCombo})
        c->setCurrentIndex(-1);
    for (QComboBox* c : m_valueCombos)
        c->setCurrentIndex(-1);
    m_nameEdited = false;
    for (QListWidget* l : {m_dayList, m_motorList}) {
        for (int r = 0; r < l->count(); ++r)
            l->item(r)->setText(QString());
        l->item(kProgressRow)->setText(readAllProgressText());
        l->setCurrentRow(-1);
        l->clearSelection();
    }
}

void SwitchTimePage::setProgressRow(const QString& text) {
    m_dayList->item(kProgressRow)->setText(text);
    m_motorList->item(kProgressRow)->setText(text);
}

void SwitchTimePage::mirrorProgressRow() {
    m_motorList->item(kProgressRow)->setText(m_dayList->item(kProgressRow)->text());
}

void SwitchTimePage::selectFirstSlot(bool copyTargetToo) {
    refreshMotorNames();
    rebuildLists();
    m_dayCombo->setCurrentIndex(0);
    m_motorCombo->setCurrentIndex(0);
    m_nameEdited = false;
    if (copyTargetToo)
        m_copyTargetCombo->setCurrentIndex(0);
    setCopySourceLabel(0);
    m_slotCombo->setCurrentIndex(0);
    loadEditor();
}

void SwitchTimePage::selectAfterReadAll() {
    selectFirstSlot(true);
}

void SwitchTimePage::selectAfterFileLoad() {
    selectFirstSlot(false);
}

void SwitchTimePage::loadEditor() {
    const int day = editorDay();
    const int motor = editorMotor();
    const int slot = editorSlot();
    if (day < 0 || day >= kSwitchDays || !MotorNames::isValidMotor(motor))
        return;
    setGroupItems(day);
    if (slot >= 0 && slot < kSlotsPerMotor) {
        const SwitchTimeSlot& s = m_table.at(day, motor, slot);
        selectIndex(m_valueCombos[Direction], s.direction);
        selectIndex(m_valueCombos[Time], s.time);
        selectIndex(m_valueCombos[Duration], s.duration);
        selectIndex(m_valueCombos[Function], s.function);
        m_valueCombos[Group]->setCurrentIndex(groupItemForLoad(s.group));
    } else {
        // The blank slot number addresses no slot: show no values.
        for (QComboBox* c : m_valueCombos)
            c->setCurrentIndex(-1);
    }
    selectListRows(day, motor);
    m_weekPlan->showMotor(motor);
}

void SwitchTimePage::onValuePicked() {
    const int day = editorDay();
    const int motor = editorMotor();
    const int slot = editorSlot();
    if (!isValidSlotAddress(day, motor, slot))
        return;
    SwitchTimeEditorValues values;
    values.direction = selectedIndex(m_valueCombos[Direction]);
    values.time = selectedIndex(m_valueCombos[Time]);
    values.duration = selectedIndex(m_valueCombos[Duration]);
    values.function = selectedIndex(m_valueCombos[Function]);
    const GroupChoice group = groupChoiceFromText(m_valueCombos[Group]->currentIndex() >= 0
                                                      ? m_valueCombos[Group]->currentText()
                                                      : QString());
    const bool stored = storeSwitchTime(m_table, day, motor, slot, group, values);
    markSlotChanged(m_table, day, motor, slot);
    if (stored) {
        setCopySourceLabel(motor);
        rebuildLists();
    }
    Q_EMIT edited();
}

void SwitchTimePage::onMotorPicked(int index) {
    m_nameEdited = false;
    if (MotorNames::isValidMotor(index)) {
        setCurrentMotor(index);
        setCopySourceLabel(index);
    }
    loadEditor();
}

void SwitchTimePage::onCopyTargetPicked(int index) {
    const int source = editorMotor();
    if (!MotorNames::isValidMotor(source) || !m_table.copyMotor(source, index))
        return;
    rebuildLists();
    Q_EMIT edited();
}

void SwitchTimePage::onRowClicked(SwitchTimeListOrder order, int clickedRow) {
    if (order != m_shownOrder)
        return;
    const int row = dataRowForClick(order, clickedRow);
    if (row < 0)
        return;
    const SwitchTimeRowPosition pos = rowPosition(order, row);
    loadClickedSlot(pos.day, pos.motor, slotUnderPointer(order, row));
}

// A list row or a mark of the week plan was clicked.
void SwitchTimePage::loadClickedSlot(int day, int motor, int slot) {
    if (!isValidSlotAddress(day, motor, slot))
        return;
    m_dayCombo->setCurrentIndex(day);
    m_motorCombo->setCurrentIndex(motor);
    m_nameEdited = false;
    // The motor shown in the editor is the one a rename now applies to.
    setCurrentMotor(motor);
    setCopySourceLabel(motor);
    m_slotCombo->setCurrentIndex(slot);

    const SwitchTimeSlot& s = m_table.at(day, motor, slot);
    selectIndex(m_valueCombos[Direction], s.direction);
    selectIndex(m_valueCombos[Time], s.time);
    selectIndex(m_valueCombos[Duration], s.duration);
    selectIndex(m_valueCombos[Function], s.function);
    setGroupItems(day);
    m_valueCombos[Group]->setCurrentIndex(groupItemForRowClick(day, s.group));
    selectListRows(day, motor);
    m_weekPlan->showMotor(motor);
}

int SwitchTimePage::slotUnderPointer(SwitchTimeListOrder order, int row) const {
    // The character cell under the pointer of the mouse-down decides the
    // slot. Text starts after the item view's text margin.
    const QListWidget* l = list(order);
    const QListWidgetItem* item = l->item(row);
    const QRect rect = l->visualItemRect(item);
    const int margin = l->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, l) + 1;
    const qreal x = m_pressPos.x() - (rect.left() + margin);
    const QString text = item->text();
    const QFontMetricsF fm(l->font());
    int column = 0;
    if (x >= 0) {
        column = int(text.size()); // right of the text
        for (int i = 0; i < text.size(); ++i) {
            if (fm.horizontalAdvance(text.left(i + 1)) > x) {
                column = i;
                break;
            }
        }
    }
    return slotForCharacterColumn(column);
}

void SwitchTimePage::confirmRename() {
    if (!m_nameEdited)
        return;
    m_nameEdited = false;
    const QString name = m_motorCombo->lineEdit()->text();
    const int motor = m_currentMotor;
    const int shownBefore = editorMotor();
    m_names.setName(motor, name);
    m_motorCombo->setItemText(motor, name);
    m_copyTargetCombo->setItemText(motor, name);
    m_motorCombo->setCurrentIndex(motor);
    setCopySourceLabel(motor);
    rebuildLists();
    // When the renamed motor was not the one on show, the editor now
    // addresses another motor: show that motor's slot.
    if (shownBefore != motor)
        loadEditor();
    Q_EMIT motorNamesEdited();
    Q_EMIT edited();
}

bool SwitchTimePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_motorCombo || watched == m_motorCombo->lineEdit()) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                confirmRename();
        } else if (event->type() == QEvent::FocusOut) {
            confirmRename();
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        // The only other watched objects are the viewports of the two lists.
        m_pressPos = static_cast<QMouseEvent*>(event)->position().toPoint();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
