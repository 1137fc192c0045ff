#include "editors/sections_window.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QSvgWidget>
#include <QVBoxLayout>

#include "editors/editor_fields.h"
#include "sections/catalogue.h"
#include "sections/section_calculator.h"

namespace varlen::gui {
namespace {

const char* kShapePictures[5] = {"CircularHollow", "Circular", "ISection", "Rectangular",
                                 "RectangularHollow"};

QComboBox* CatalogueList(QWidget* owner, const QString& name, const std::vector<std::string>& rows) {
    auto* list = new QComboBox(owner);
    list->setObjectName(name);
    for (const std::string& row : rows)
        list->addItem(QString::fromStdString(row));
    list->setFont(QFont("Monospace"));
    return list;
}

} // namespace

SectionsWindow::SectionsWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent)
    : EditorWindow(
          document, dialogs, editing::TableKind::Sections,
          {"frmCrossSectionalProperties", "GridCrossSections", "cmdAddCrossSection", "cmdRemoveCrossSection"},
          parent) {
    setWindowTitle("Cross Sectional Properties");
    QGridLayout* f = Fields();
    m_number = AddLineField(this, f, 0, "Cross Section Number", "txtCrossSectionNumber", std::nullopt);
    m_area = AddLineField(this, f, 1, "Cross Sectional Area, A (mm2)", "txtArea",
                          editing::KeyFilter::UnsignedNumber);
    m_description = AddLineField(this, f, 2, "Cross Sectional Description", "txtCrossSectionalDescription",
                                 editing::KeyFilter::Description);
    m_description->setMinimumWidth(300);

    auto* common = new QGroupBox("Common Sections", this);
    common->setObjectName("Frame1");
    auto* commonLayout = new QVBoxLayout(common);
    m_pictures = new QStackedWidget(common);
    m_pictures->setObjectName("Picture1");
    for (int i = 0; i < 5; ++i) {
        auto* picture = new QSvgWidget(QString(":/pictures/") + kShapePictures[i] + ".svg", m_pictures);
        picture->setObjectName(QString("Picture1_%1").arg(i));
        picture->setToolTip(sections::SectionShapes()[static_cast<std::size_t>(i)].title);
        m_pictures->addWidget(picture);
    }
    m_pictures->setFixedSize(150, 110);
    commonLayout->addWidget(m_pictures, 0, Qt::AlignCenter);
    auto* paging = new QHBoxLayout;
    auto* previous = new QPushButton("&Previous", common);
    previous->setObjectName("cmdPrevious");
    auto* evaluate = new QPushButton("&Evaluate", common);
    evaluate->setObjectName("cmdEvaluate");
    auto* next = new QPushButton("&Next", common);
    next->setObjectName("cmdNext");
    paging->addWidget(previous);
    paging->addWidget(evaluate);
    paging->addWidget(next);
    commonLayout->addLayout(paging);
    f->addWidget(common, 3, 0, 1, 2);

    auto* catalogue = new QGroupBox("Hollow Sections", this);
    catalogue->setObjectName("frameSHS");
    auto* catalogueLayout = new QVBoxLayout(catalogue);
    auto* options = new QHBoxLayout;
    m_shs = new QRadioButton("Square Hollow Section", catalogue);
    m_shs->setObjectName("optSHS");
    m_rhs = new QRadioButton("Rectangular Hollow Section", catalogue);
    m_rhs->setObjectName("optRHS");
    options->addWidget(m_shs);
    options->addWidget(m_rhs);
    catalogueLayout->addLayout(options);
    m_shsList = CatalogueList(catalogue, "cmbSHS", sections::SquareHollowSections());
    m_rhsList = CatalogueList(catalogue, "cmbRHS", sections::RectangularHollowSections());
    catalogueLayout->addWidget(m_shsList);
    catalogueLayout->addWidget(m_rhsList);
    f->addWidget(catalogue, 4, 0, 1, 2);

    connect(next, &QPushButton::clicked, this, [this] { ChangePicture(1); });
    connect(previous, &QPushButton::clicked, this, [this] { ChangePicture(-1); });
    connect(evaluate, &QPushButton::clicked, this, &SectionsWindow::Evaluate);
    connect(m_shs, &QRadioButton::toggled, this, [this](bool on) {
        m_shsList->setVisible(on);
        m_rhsList->setVisible(!on);
    });
    connect(m_shsList, &QComboBox::textActivated, this, &SectionsWindow::Pick);
    connect(m_rhsList, &QComboBox::textActivated, this, &SectionsWindow::Pick);
    m_shs->setChecked(true);
    m_rhsList->setVisible(false);
    Finish(m_number, {500, 1250, 1800});
    resize(Twips(15000), Twips(8000));
    ShowFirstCatalogueRow();
    // Made after the editor's own handler, so it follows the reset of the boxes.
    connect(&Doc(), &DocumentObject::tablesReplaced, this, &SectionsWindow::ShowFirstCatalogueRow);
}

// A fresh window, as after New or Open, has the first square hollow section in the boxes.
void SectionsWindow::ShowFirstCatalogueRow() {
    m_shs->setChecked(true);
    m_shsList->setCurrentIndex(0);
    m_rhsList->setCurrentIndex(0);
    Pick(m_shsList->itemText(0));
}

void SectionsWindow::Pick(const QString& row) {
    m_description->setText(row);
    m_area->setText(QString::fromStdString(std::string(sections::AreaTextOfRow(row.toStdString()))));
}

int SectionsWindow::Picture() const {
    return m_pictures->currentIndex();
}

void SectionsWindow::ChangePicture(int step) {
    m_pictures->setCurrentIndex(sections::NextPicture(Picture(), step));
}

void SectionsWindow::Evaluate() {
    const sections::SectionShape& shape = sections::SectionShapes()[static_cast<std::size_t>(Picture())];
    std::vector<std::string> answers;
    for (const char* prompt : shape.prompts) {
        for (;;) {
            const std::optional<QString> answer = Dialogs().Input(this, shape.title, prompt);
            // Cancel or an empty answer ends the calculation with both boxes as they were.
            if (!answer || answer->trimmed().isEmpty()) return;
            if (sections::IsDimensionAnswer(answer->toStdString())) {
                answers.push_back(answer->toStdString());
                break;
            }
            // Only the leading number would be read: the user is told and asked the same dimension again.
            Dialogs().Tell(this, shape.title,
                           QString("\"%1\" is not a number. Please enter the dimension in mm.").arg(*answer),
                           UserDialogs::Icon::Warning);
        }
    }
    const std::optional<sections::SectionResult> result = sections::EvaluateSection(Picture(), answers);
    if (!result) return;
    m_area->setText(QString::fromStdString(result->areaText));
    m_description->setText(QString::fromStdString(result->description));
}

std::vector<std::string> SectionsWindow::ReadFields() const {
    return {ToStd(m_area->text()), ToStd(m_description->text())};
}

void SectionsWindow::LoadFields(const std::vector<std::string>& cells) {
    m_area->setText(FromStd(cells[0]));
    m_description->setText(FromStd(cells[1]));
}

void SectionsWindow::ResetFields(bool) {
    m_area->clear();
    m_description->setText("None");
}

QWidget* SectionsWindow::FirstField() const {
    return m_area;
}

std::vector<EditorWindow::NumberBox> SectionsWindow::NumberBoxes() const {
    return {{"Cross Sectional Area", m_area}};
}

} // namespace varlen::gui
