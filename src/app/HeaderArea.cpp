#include "HeaderArea.h"

#include "LogoShape.h"
#include "PageWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace korvane {

HeaderArea::HeaderArea(QWidget* parent)
    : QWidget(parent), m_dot(new LogoShape(QStringLiteral("Dot"), kDotRed)),
      m_noConnection(
          makeLabel(QStringLiteral("KeineVerbindung_Label"), QStringLiteral("Keine Verbindung"))),
      m_url(makeLabel(QStringLiteral("URL_Label"), kUrl)) {
    setObjectName(QStringLiteral("TopArea"));

    QLabel* maker = makeLabel(QStringLiteral("Label9"), QStringLiteral("Vendrix"));
    QFont makerFont = maker->font();
    makerFont.setPointSize(makerFont.pointSize() + 8);
    makerFont.setBold(true);
    maker->setFont(makerFont);

    auto* categories = new QHBoxLayout;
    const QStringList categoryTexts{QStringLiteral("Rollladensteuerungen"),
                                    QStringLiteral("Wintergartensteuerungen"),
                                    QStringLiteral("Sonnenschutzsteuerungen")};
    for (int i = 0; i < categoryTexts.size(); ++i) {
        QLabel* category =
            makeLabel(QStringLiteral("Kategorie_Label%1").arg(i + 1), categoryTexts[i]);
        category->setStyleSheet(QStringLiteral("QLabel { color: grey; }"));
        categories->addWidget(category);
    }
    categories->addStretch(1);

    auto* logo = new QHBoxLayout;
    logo->setSpacing(2);
    logo->addWidget(m_dot);
    logo->addWidget(new LogoShape(QStringLiteral("Shape1"), Qt::blue));
    logo->addWidget(new LogoShape(QStringLiteral("Shape2"), Qt::yellow));
    logo->addWidget(new LogoShape(QStringLiteral("Shape3"), Qt::yellow));
    logo->addWidget(new LogoShape(QStringLiteral("Shape4"), Qt::blue));

    m_noConnection->setStyleSheet(
        QStringLiteral("QLabel { color: red; background-color: yellow; font-weight: bold; "
                       "padding: 2px 6px; }"));

    auto* makerColumn = new QVBoxLayout;
    auto* makerRow = new QHBoxLayout;
    makerRow->addLayout(logo);
    makerRow->addWidget(maker);
    makerRow->addStretch(1);
    makerColumn->addLayout(makerRow);
    makerColumn->addLayout(categories);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 0);
    layout->addLayout(makerColumn, 1);
    layout->addWidget(m_noConnection, 0, Qt::AlignVCenter);
    layout->addSpacing(12);
    layout->addWidget(m_url, 0, Qt::AlignVCenter);
}

void HeaderArea::showHeartbeat(bool connected, bool fuchsiaCircle) {
    if (!connected) {
        m_dot->setColor(kDotRed);
        return;
    }
    m_dot->setColor(fuchsiaCircle ? kDotFuchsia : kDotRed);
    m_dot->setForm(fuchsiaCircle ? LogoShape::Form::Circle : LogoShape::Form::Square);
}

void HeaderArea::setNoConnectionShown(bool shown) {
    m_noConnection->setVisible(shown);
}

void HeaderArea::setConservatoryUrl(bool conservatory) {
    m_url->setText(conservatory ? kConservatoryUrl : kUrl);
}

} // namespace korvane
