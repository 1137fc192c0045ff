#include "design/design_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextOption>
#include <QVBoxLayout>

#include "app/settings.h"
#include "app/stale_bar.h"
#include "app/twips.h"
#include "design/bs449.h"
#include "report/design_tables.h"

namespace varlen::gui {
namespace {

QComboBox* List(QWidget* owner, const char* name, const QStringList& items, bool editable) {
    auto* list = new QComboBox(owner);
    list->setObjectName(name);
    list->addItems(items);
    list->setEditable(editable);
    return list;
}

QTableWidget* ResultGrid(QWidget* owner, const char* name, const report::TableRows& empty,
                         const std::vector<int>& twips) {
    auto* grid = new QTableWidget(0, static_cast<int>(empty.headings.size()), owner);
    grid->setObjectName(name);
    QStringList headings;
    for (const std::string& heading : empty.headings)
        headings << QString::fromStdString(heading);
    grid->setHorizontalHeaderLabels(headings);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (std::size_t c = 0; c < twips.size(); ++c)
        grid->setColumnWidth(static_cast<int>(c), Twips(twips[c]) + 12);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

// Rebuilds the grid from the rows, so pressing Design twice never doubles it.
void Fill(QTableWidget* grid, const report::TableRows& table) {
    grid->setRowCount(0);
    // Designed for an envelope, the rows name their governing combination in a column of their own.
    const auto columns = static_cast<int>(table.headings.size());
    const bool reshaped = grid->columnCount() != columns;
    if (reshaped) {
        grid->setColumnCount(columns);
        QStringList headings;
        for (const std::string& heading : table.headings)
            headings << QString::fromStdString(heading);
        grid->setHorizontalHeaderLabels(headings);
    }
    for (const report::Row& cells : table.rows) {
        const int row = grid->rowCount();
        grid->insertRow(row);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c].text));
            const bool name = c < table.headings.size() && table.headings[c] == "Combination";
            item->setTextAlignment((c == 0 ? Qt::AlignCenter
                                    : name ? Qt::AlignLeft
                                           : Qt::AlignRight) |
                                   Qt::AlignVCenter);
            grid->setItem(row, static_cast<int>(c), item);
        }
    }
    // Another column came or went: every heading and value whole again, the last column taking the rest.
    if (reshaped) grid->resizeColumnsToContents();
}

// A design parameter as typed or picked: one number in C notation, blanks around it allowed. Anything
// else is 0, which the checks refuse naming the parameter, rather than the leading digits of a slip.
double Number(const QComboBox* list) {
    bool ok = false;
    const double value = QLocale::c().toDouble(list->currentText().trimmed(), &ok);
    return ok ? value : 0.0;
}

} // namespace

DesignWindow::DesignWindow(DocumentObject& document, UserDialogs& dialogs, const Settings& settings,
                           QWidget* parent)
    : QWidget(parent), m_document(document), m_dialogs(dialogs), m_settings(settings) {
    setObjectName("frmBS449");
    setWindowTitle("Design to BS449");
    auto* outer = new QVBoxLayout(this);
    auto* checks = new QWidget(this);
    outer->addWidget(new StaleBar(document, checks, this));
    outer->addWidget(checks);
    auto* layout = new QGridLayout(checks);

    auto* tension = new QGroupBox(QString::fromStdString(report::TensionRows({}, 0).title), this);
    tension->setObjectName("Frame1");
    auto* t = new QGridLayout(tension);
    auto* table19 = new QPlainTextEdit(QString(design::Table19Text()).replace("\r\n", "\n"), tension);
    table19->setObjectName("txttable19");
    table19->setReadOnly(true);
    table19->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab stops past the longest form, so the grade, thickness and pt columns line up.
    QTextOption columns = table19->document()->defaultTextOption();
    const int em = table19->fontMetrics().horizontalAdvance('M');
    columns.setTabs({QTextOption::Tab(em * 26, QTextOption::LeftTab),
                     QTextOption::Tab(em * 30, QTextOption::LeftTab),
                     QTextOption::Tab(em * 37, QTextOption::LeftTab)});
    table19->document()->setDefaultTextOption(columns);
    t->addWidget(table19, 0, 0, 1, 3);
    auto* ptLabel = new QLabel("Allowable Tensile Stress, pt", tension);
    ptLabel->setObjectName("Label2");
    m_pt = List(tension, "cmballowablestress", {"140", "155", "215", "265"}, true);
    m_pt->setCurrentText("155");
    auto* designTension = new QPushButton("&Design", tension);
    designTension->setObjectName("cmdDesignTension");
    t->addWidget(ptLabel, 1, 0);
    t->addWidget(m_pt, 1, 1);
    t->addWidget(designTension, 1, 2);
    m_tension = ResultGrid(tension, "GridBS449", report::TensionRows({}, 0), {500, 1200, 1200, 900});
    t->addWidget(m_tension, 2, 0, 1, 3);
    layout->addWidget(tension, 0, 0, 2, 1);

    auto* compression = new QGroupBox(QString::fromStdString(report::CompressionRows({}, 0).title), this);
    compression->setObjectName("Frame2");
    auto* c = new QGridLayout(compression);
    auto* ysLabel = new QLabel("Yield Stress", compression);
    ysLabel->setObjectName("Label1");
    m_ys = List(compression, "cmbYieldStress", {"250", "350", "430"}, true);
    auto* designCompression = new QPushButton("&Design", compression);
    designCompression->setObjectName("cmdCompressionDesign");
    c->addWidget(ysLabel, 0, 0);
    c->addWidget(m_ys, 0, 1);
    c->addWidget(designCompression, 0, 2);
    m_compression = ResultGrid(compression, "GridCompressionBS449", report::CompressionRows({}, 0),
                               {500, 1200, 1200, 900});
    c->addWidget(m_compression, 1, 0, 1, 3);
    layout->addWidget(compression, 0, 1);

    auto* welds = new QGroupBox(QString::fromStdString(report::WeldRows({}, 0).title), this);
    welds->setObjectName("Frame3");
    auto* w = new QGridLayout(welds);
    auto* legLabel = new QLabel("Leg Length", welds);
    legLabel->setObjectName("Label4");
    QStringList legs;
    for (int leg = 4; leg <= 15; ++leg)
        legs << QString::number(leg);
    m_leg = List(welds, "cmbleglength", legs, false);
    auto* pwLabel = new QLabel("Design Strength", welds);
    pwLabel->setObjectName("Label3");
    m_pw = List(welds, "cmbWeldDesign", {"215", "255", "275"}, false);
    auto* designWelds = new QPushButton("&Design", welds);
    designWelds->setObjectName("cmdWeldDesign");
    w->addWidget(legLabel, 0, 0);
    w->addWidget(m_leg, 0, 1);
    w->addWidget(pwLabel, 1, 0);
    w->addWidget(m_pw, 1, 1);
    w->addWidget(designWelds, 1, 2);
    m_welds = ResultGrid(welds, "GridWeldDesign", report::WeldRows({}, 0), {500, 1200});
    w->addWidget(m_welds, 2, 0, 1, 3);
    // The lengths are |F| (kN) over the weld's strength per mm (N/mm): metres, which nothing else says.
    auto* unit =
        new QLabel("Weld length at each end, in metres (m); leg in mm, strength in N/mm\u00b2.", welds);
    unit->setObjectName("lblWeldUnit");
    unit->setWordWrap(true);
    w->addWidget(unit, 3, 0, 1, 3);
    layout->addWidget(welds, 1, 1);

    auto* done = new QPushButton("&Done", this);
    done->setObjectName("Command1");
    outer->addWidget(done, 0, Qt::AlignRight); // Done stays usable while the numbers are greyed

    connect(designTension, &QPushButton::clicked, this, &DesignWindow::Design);
    connect(designCompression, &QPushButton::clicked, this, &DesignWindow::CompressionDesign);
    connect(designWelds, &QPushButton::clicked, this, &DesignWindow::WeldDesign);
    // A grid never shows results that do not match the stress beside it.
    connect(m_pt, &QComboBox::currentTextChanged, m_tension, &QWidget::hide);
    connect(m_ys, &QComboBox::currentTextChanged, m_compression, &QWidget::hide);
    connect(done, &QPushButton::clicked, this, &DesignWindow::doneClicked);
    // Larger than the form it follows, so each result grid shows several members at once.
    resize(Twips(14400), Twips(9600));
}

void DesignWindow::Design() {
    m_tension->show();
    const document::ProjectDocument& doc = m_document.Document();
    const design::TensionOutcome outcome = design::TensionDesign(doc.Project(), m_document.Results(),
                                                                 doc.Stale(), Number(m_pt), doc.LoadCases());
    const report::TableRows rows = report::TensionRows(outcome, m_settings.Places());
    Fill(m_tension, rows);
    m_document.SetDesignTable(DocumentObject::DesignCheck::Tension,
                              outcome.Complete() ? std::optional(rows) : std::nullopt);
    if (!outcome.Complete()) Tell(outcome.fault);
}

void DesignWindow::CompressionDesign() {
    m_compression->show();
    const document::ProjectDocument& doc = m_document.Document();
    const design::CompressionOutcome outcome = design::CompressionDesign(
        doc.Project(), m_document.Results(), doc.Stale(), Number(m_ys), doc.LoadCases());
    const report::TableRows rows = report::CompressionRows(outcome, m_settings.Places());
    Fill(m_compression, rows);
    m_document.SetDesignTable(DocumentObject::DesignCheck::Compression,
                              outcome.Complete() ? std::optional(rows) : std::nullopt);
    if (!outcome.Complete()) Tell(outcome.fault);
}

void DesignWindow::WeldDesign() {
    const document::ProjectDocument& doc = m_document.Document();
    const design::WeldOutcome outcome = design::WeldDesign(doc.Project(), m_document.Results(), doc.Stale(),
                                                           Number(m_leg), Number(m_pw), doc.LoadCases());
    const report::TableRows rows = report::WeldRows(outcome, m_settings.Places());
    Fill(m_welds, rows);
    m_document.SetDesignTable(DocumentObject::DesignCheck::Welds,
                              outcome.Complete() ? std::optional(rows) : std::nullopt);
    // Refused because of edits since the analysis: the other two checks have said so already.
    if (!outcome.Complete() && !outcome.Refused()) Tell(outcome.fault);
}

void DesignWindow::Tell(const design::DesignFault& fault) {
    m_dialogs.Tell(this, design::kDesignErrorTitle, QString::fromStdString(design::DesignMessage({fault})),
                   UserDialogs::Icon::Critical);
}

} // namespace varlen::gui
