#include "results/results_windows.h"

#include "results/results_selector.h"

#include "app/settings.h"
#include "app/stale_bar.h"
#include "app/twips.h"

#include <algorithm>

#include <QAbstractListModel>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editors/field_behaviour.h"
#include "report/results_tables.h"

namespace varlen::gui {
namespace {

// "1" .. n without a list item each: 100,000 members fill the list at once.
class MemberNumbers final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void SetCount(int count) {
        beginResetModel();
        m_count = count;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_count; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) return QString::number(index.row() + 1);
        return {};
    }

private:
    int m_count = 0;
};

struct KindText {
    const char* name;
    const char* grid;
    report::MemberEnds ends;
    const char* convention; // what the signs of the numbers mean, in plain words
};

const KindText kKinds[] = {
    {"frmGlobalDisplacements", "GridGlobalDisplacements", report::MemberEnds::GlobalDisplacements,
     "Displacements of the member's joints in mm, positive along global X and Y."},
    {"frmLocalForces", "GridLocalForces", report::MemberEnds::LocalForces,
     "Forces in kN on the member, along its own axis x' from joint i to joint j: in tension the force at "
     "joint i is negative and at joint j positive; in compression the other way round."},
    {"frmReactions", "GridReactions", report::MemberEnds::GlobalForces,
     "Forces in kN on the member at its ends, positive along global X and Y; at a support the forces of "
     "its members, less the load there, make the reaction."},
};

} // namespace

ResultsWindow::ResultsWindow(DocumentObject& document, ResultsKind kind, QWidget* parent)
    : QWidget(parent), m_document(document), m_kind(kind) {
    const KindText& text = kKinds[static_cast<int>(kind)];
    setObjectName(text.name);
    setWindowTitle(report::MemberEndsTitle(text.ends));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* memberLabel = new QLabel("Member", this);
    memberLabel->setObjectName("lblJointNumber");
    m_members = new QComboBox(this);
    m_members->setObjectName("cmbMemberNumber");
    m_members->setModel(new MemberNumbers(m_members));
    m_members->setMinimumContentsLength(8);
    top->addWidget(memberLabel);
    top->addWidget(m_members);
    top->addStretch(1);
    top->addWidget(new ResultsSelector(document, this));
    layout->addLayout(top);
    m_description = new QLabel(this);
    m_description->setObjectName("lblMemberD");
    m_description->setStyleSheet("color: #204080");
    layout->addWidget(m_description);
    m_grid = new QTableWidget(4, 1, this);
    m_grid->setObjectName(text.grid);
    m_grid->horizontalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setColumnWidth(0, Twips(1700));
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->setMinimumWidth(Twips(900));
    m_grid->verticalHeader()->setDefaultSectionSize(24);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setFixedHeight(4 * 24 + 2 * m_grid->frameWidth());
    layout->addWidget(m_grid);
    layout->insertWidget(0, new StaleBar(document, m_grid, this));
    auto* convention = new QLabel(text.convention, this);
    convention->setObjectName("lblConvention");
    convention->setWordWrap(true);
    layout->addWidget(convention);
    layout->addStretch(1);
    auto* done = new QPushButton("&Done", this);
    done->setObjectName("cmdDone");
    layout->addWidget(done, 0, Qt::AlignRight);
    connect(done, &QPushButton::clicked, this, [this] { parentWidget() ? parentWidget()->hide() : hide(); });
    connect(m_members, &QComboBox::currentIndexChanged, this, &ResultsWindow::ShowChosen);
    connect(&m_document, &DocumentObject::resultsChanged, this, &ResultsWindow::Refill);
    Refill();
    resize(360, 280);
}

// PgUp and PgDn step through the members, wherever the focus is in the window.
void ResultsWindow::keyPressEvent(QKeyEvent* event) {
    const int step = event->key() == Qt::Key_PageDown ? 1 : event->key() == Qt::Key_PageUp ? -1 : 0;
    const int next = m_members->currentIndex() + step;
    if (step != 0 && next >= 0 && next < m_members->count()) {
        m_members->setCurrentIndex(next);
        return;
    }
    QWidget::keyPressEvent(event);
}

void ResultsWindow::Refill() {
    const analysis::Results* results = m_document.Results();
    const int members = results ? results->MemberCount() : 0;
    // The member shown last stays shown when it is still there; otherwise the window opens on member 1.
    const int shown = m_members->currentIndex() >= 0 && m_members->currentIndex() < members
                          ? m_members->currentIndex()
                      : members > 0 ? 0
                                    : -1;
    m_members->blockSignals(true);
    static_cast<MemberNumbers*>(m_members->model())->SetCount(members);
    m_members->setCurrentIndex(shown);
    m_members->blockSignals(false);
    m_description->clear();
    m_grid->clearContents();
    m_grid->setVerticalHeaderLabels({"", "", "", ""});
    ShowChosen(shown);
}

void ResultsWindow::ShowChosen(int position) {
    const analysis::Results* results = m_document.Results();
    if (!results || position < 0 || position >= results->MemberCount()) return;
    const int member = position + 1;
    // The description as the members table holds it now, which may differ from the analysed one.
    const std::string_view description =
        m_document.Document().Project().members.Cell(member, project::member_col::Description);
    m_description->setText(QString::fromUtf8(description.data(), static_cast<qsizetype>(description.size())));
    const report::TableRows table = report::MemberEndRows(*results, kKinds[static_cast<int>(m_kind)].ends,
                                                          member, m_document.ResultPlaces());
    QStringList labels;
    for (int r = 0; r < static_cast<int>(table.rows.size()); ++r) {
        const report::Row& row = table.rows[static_cast<std::size_t>(r)];
        labels << QString::fromStdString(row[0].text);
        auto* item = new QTableWidgetItem(QString::fromStdString(row[1].text));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_grid->setItem(r, 0, item);
    }
    m_grid->setVerticalHeaderLabels(labels);
    FitGridToTable();
}

// The window widens to show every label and value whole (more decimal places or a larger font make
// longer values); it never narrows, so stepping through the members does not make it jump.
void ResultsWindow::FitGridToTable() {
    int widest = 0;
    for (int r = 0; r < m_grid->rowCount(); ++r)
        if (const QTableWidgetItem* item = m_grid->item(r, 0))
            widest = std::max(widest, m_grid->fontMetrics().horizontalAdvance(item->text()));
    const int needed = m_grid->verticalHeader()->sizeHint().width() + std::max(widest + 24, Twips(1700)) +
                       2 * m_grid->frameWidth();
    if (needed > m_grid->minimumWidth()) m_grid->setMinimumWidth(needed);
    const int rowHeight = std::max(24, m_grid->fontMetrics().height() + 8);
    if (rowHeight != m_grid->verticalHeader()->defaultSectionSize()) {
        m_grid->verticalHeader()->setDefaultSectionSize(rowHeight);
        m_grid->setFixedHeight(m_grid->rowCount() * rowHeight + 2 * m_grid->frameWidth());
    }
}

OptionsWindow::OptionsWindow(Settings& settings, QWidget* parent) : QWidget(parent), m_settings(settings) {
    setObjectName("frmOptions");
    setWindowTitle("Plotting Options");
    auto* layout = new QGridLayout(this);
    auto* before = new QLabel("Correct To", this);
    before->setObjectName("lblPlaces");
    m_places = new QLineEdit("3", this);
    m_places->setObjectName("txtPlaces");
    m_places->setMaximumWidth(50);
    AttachFieldBehaviour(m_places, editing::KeyFilter::Digits);
    auto* after = new QLabel("Decimal Places", this);
    after->setObjectName("lblPlaces2");
    auto* ok = new QPushButton("&Ok", this);
    ok->setObjectName("cmdOptionsOK");
    layout->addWidget(before, 0, 0);
    layout->addWidget(m_places, 0, 1);
    layout->addWidget(after, 0, 2);
    layout->addWidget(ok, 1, 2);
    connect(m_places, &QLineEdit::textChanged, this, [this] { m_settings.SetPlaces(Places()); });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (Places() >= 10) m_places->setText("10");
        parentWidget() ? parentWidget()->hide() : hide();
    });
    resize(Twips(3090), Twips(1260));
}

int OptionsWindow::Places() const {
    // The box admits digits only. Places beyond what a double holds only pad with zeros, so any run of
    // more than two significant digits counts as 99.
    QString digits = m_places->text().trimmed();
    while (digits.startsWith('0'))
        digits.remove(0, 1);
    if (digits.size() > 2) return 99;
    bool ok = false;
    const int places = digits.toInt(&ok);
    return ok ? places : 0;
}

} // namespace varlen::gui
