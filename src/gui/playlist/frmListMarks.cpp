#include "gui/playlist/frmListMarks.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/lists/MarksLinesTexts.h"
#include "gui/windows/PlayerWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace t = MarksLinesTexts;

namespace {

QLabel* makeLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text,
                        const QString& tip = QString()) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

QStringList shownLines(const QListWidget* list) {
    QStringList lines;
    for (int row = 0; row < list->count(); ++row) {
        lines << list->item(row)->text();
    }
    return lines;
}

}  // namespace

MarksTab::MarksTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("marksTab"));
    build();
    draw();
}

void MarksTab::build() {
    lstRng = new QListWidget(this);
    lstRng->setObjectName(QStringLiteral("lstRng"));
    lstRng->setSelectionMode(QAbstractItemView::SingleSelection);

    const auto timeBox = [this](const QString& name) {
        auto* box = new QLineEdit(MarksLines::zeroTime(), this);
        box->setObjectName(name);
        box->setMaxLength(11);
        return box;
    };
    txtRngStart = timeBox(QStringLiteral("txtRngStart"));
    txtRngEnd = timeBox(QStringLiteral("txtRngEnd"));
    auto* times = new QHBoxLayout;
    times->addWidget(makeLabel(this, t::startLabel()));
    times->addWidget(txtRngStart, 1);
    times->addSpacing(8);
    times->addWidget(makeLabel(this, t::endLabel()));
    times->addWidget(txtRngEnd, 1);

    auto* edits = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        QPushButton* button =
            makeButton(this, QStringLiteral("cmdSSt%1").arg(i), t::editCaption(i));
        cmdSSt[static_cast<size_t>(i)] = button;
        // Five abreast in the panel's width, narrower than a push button likes to be.
        button->setMinimumWidth(i < 3 ? 56 : 32);
        edits->addWidget(button, i < 3 ? 2 : 1);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdSSt_Click(i); });
    }

    lblTtTime = new QLabel(MarksLines::zeroTime(), this);
    lblTtTime->setObjectName(QStringLiteral("lblTtTime"));
    auto* length = new QHBoxLayout;
    length->addWidget(makeLabel(this, t::lengthLabel()));
    length->addWidget(lblTtTime);
    length->addStretch();

    cmdLoad = makeButton(this, QStringLiteral("cmdLoad"), t::cmdLoad(), t::cmdLoadTip());
    cmdApply = makeButton(this, QStringLiteral("cmdApply"), t::cmdApply(), t::cmdApplyTip());
    auto* transfer = new QHBoxLayout;
    transfer->addWidget(cmdLoad);
    transfer->addWidget(cmdApply);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(lstRng, 1);
    layout->addLayout(times);
    layout->addLayout(edits);
    layout->addWidget(makeLabel(this, t::formatHint()));
    layout->addWidget(makeLabel(this, t::formatMeaning()));
    layout->addLayout(length);
    layout->addLayout(transfer);
    layout->addWidget(makeLabel(this, t::applyReminder()));

    connect(lstRng, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_drawing) {
            m_lines.select(row);
            draw();
        }
    });
    connect(lstRng, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { lstRng_DblClick(lstRng->row(item)); });
    connect(cmdLoad, &QPushButton::clicked, this, &MarksTab::cmdLoad_Click);
    connect(cmdApply, &QPushButton::clicked, this, &MarksTab::cmdApply_Click);
}

void MarksTab::draw() {
    m_drawing = true;
    if (shownLines(lstRng) != m_lines.lines()) {
        lstRng->clear();
        lstRng->addItems(m_lines.lines());
    }
    lstRng->setCurrentRow(m_lines.selected());
    if (m_lines.selected() < 0) {
        lstRng->clearSelection();
    }
    m_drawing = false;

    txtRngStart->setText(m_lines.startBox());
    txtRngEnd->setText(m_lines.endBox());
    lblTtTime->setText(m_lines.totalText());
    cmdSSt[1]->setEnabled(m_lines.canChange());
    cmdSSt[2]->setEnabled(m_lines.canRemove());
    cmdSSt[3]->setEnabled(m_lines.canMoveUp());
    cmdSSt[4]->setEnabled(m_lines.canMoveDown());
    checkCmdRng();
}

void MarksTab::checkCmdRng() {
    const PlayerWindow* player = m_player;
    const bool marked = player != nullptr && player->hasMarks();
    cmdApply->setEnabled(m_lines.count() > 0 || marked);
    cmdLoad->setEnabled(marked);
}

void MarksTab::loadMark() {
    // The player calls this whenever it opens a file: nothing here takes the focus.
    const PlayerWindow* player = m_player;
    const double total = player != nullptr ? player->totalSeconds() : 0.0;
    QList<QPair<QString, QString>> ranges;
    if (player != nullptr && player->hasMarks()) {
        ranges = player->markTimes();
    }
    m_lines.load(formatTime(total, 3, 2), ranges);
    draw();
}

void MarksTab::refresh() {
    m_lines.select(std::min(m_lines.selected(), m_lines.count() - 1));
    draw();
}

void MarksTab::getStartEnd(const QString& line, qint32& start, qint32& end) const {
    if (const PlayerWindow* player = m_player) {
        MarksLines::lineFrames(line, player->secPerFrame(), start, end);
    }
}

void MarksTab::cmdSSt_Click(int index) {
    if (index >= MarksLines::Add && index <= MarksLines::Down &&
        m_lines.edit(static_cast<MarksLines::Edit>(index), txtRngStart->text(), txtRngEnd->text(),
                     window())) {
        draw();
    }
}

void MarksTab::cmdLoad_Click() {
    if (PlayerWindow* player = m_player) {
        player->mnuRngEdit_Click();
    }
}

void MarksTab::cmdApply_Click() {
    if (PlayerWindow* player = m_player) {
        player->applyMark();
    }
}

void MarksTab::lstRng_DblClick(int row) {
    PlayerWindow* player = m_player;
    if (player == nullptr || row < 0 || row >= m_lines.count()) {
        return;
    }
    qint32 start = -1;
    qint32 end = -1;
    getStartEnd(m_lines.lines().at(row), start, end);
    if (start >= 0 && end > start) {
        player->playRange(start, end);
    }
}
