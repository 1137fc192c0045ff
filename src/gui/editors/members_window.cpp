#include "editors/members_window.h"

#include <algorithm>

#include "editors/editor_fields.h"

namespace varlen::gui {
namespace {

QLabel* DescriptionLabel(QWidget* owner, QGridLayout* layout, int row, const QString& name) {
    auto* label = new QLabel(owner);
    label->setObjectName(name);
    label->setMinimumWidth(140);
    label->setStyleSheet("color: #204080");
    layout->addWidget(label, row, 2);
    return label;
}

std::string Position(const QComboBox* list) {
    return std::to_string(list->currentIndex() + 1);
}

void Choose(QComboBox* list, const std::string& cell) {
    const int position = editing::RowReference(cell) - 1;
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

} // namespace

MembersWindow::MembersWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent)
    : EditorWindow(document, dialogs, editing::TableKind::Members,
                   {"frmMembers", "GridMembers", "cmdAddMember", "cmdRemoveMember"}, parent) {
    setWindowTitle("Members");
    QGridLayout* f = Fields();
    m_number = AddLineField(this, f, 0, "Member Number", "txtMemberNumber", std::nullopt);
    m_jointI = AddListField(this, f, 1, "Joint i / Begin Joint", "cmbJointi");
    m_jointIText = DescriptionLabel(this, f, 1, "lblJointiD");
    m_jointJ = AddListField(this, f, 2, "Joint j / End Joint", "cmbJointj");
    m_jointJText = DescriptionLabel(this, f, 2, "lblJointjD");
    m_material = AddListField(this, f, 3, "Material Type", "cmbMaterialType");
    m_materialText = DescriptionLabel(this, f, 3, "lblMaterialDescription");
    m_section = AddListField(this, f, 4, "Cross Section Type", "cmbCrossSectionType");
    m_sectionText = DescriptionLabel(this, f, 4, "lblCrossSectionDescription");
    m_description = AddLineField(this, f, 5, "Member Description", "txtMemberDescription",
                                 editing::KeyFilter::Description);
    const project::Project& p = Doc().Document().Project();
    connect(m_jointI, &QComboBox::currentIndexChanged, this, [this, &p] {
        ShowDescription(m_jointI, m_jointIText, p.joints, project::joint_col::Description);
    });
    connect(m_jointJ, &QComboBox::currentIndexChanged, this, [this, &p] {
        ShowDescription(m_jointJ, m_jointJText, p.joints, project::joint_col::Description);
    });
    connect(m_material, &QComboBox::currentIndexChanged, this, [this, &p] {
        ShowDescription(m_material, m_materialText, p.materials, project::material_col::Description);
    });
    connect(m_section, &QComboBox::currentIndexChanged, this, [this, &p] {
        ShowDescription(m_section, m_sectionText, p.sections, project::section_col::Description);
    });
    Finish(m_number, {500, 500, 500, 600, 600, 1800});
    resize(Twips(10700), Twips(5800));
}

// The description of the chosen entry, read from its table (the other editor's own state is left alone).
void MembersWindow::ShowDescription(QComboBox* list, QLabel* label, const project::Table& table, int column) {
    const int row = list->currentIndex() + 1;
    label->setText(row >= 1 ? QString::fromStdString(std::string(table.Cell(row, column))) : QString());
}

void MembersWindow::FillLists() {
    const project::Project& p = Doc().Document().Project();
    FillNumberList(m_section, p.sections.EntryCount());
    FillNumberList(m_jointJ, p.joints.EntryCount());
    FillNumberList(m_material, p.materials.EntryCount());
    FillNumberList(m_jointI, p.joints.EntryCount());
    ShowDescription(m_jointI, m_jointIText, p.joints, project::joint_col::Description);
    ShowDescription(m_jointJ, m_jointJText, p.joints, project::joint_col::Description);
    ShowDescription(m_material, m_materialText, p.materials, project::material_col::Description);
    ShowDescription(m_section, m_sectionText, p.sections, project::section_col::Description);
    m_jointI->setFocus();
}

std::vector<std::string> MembersWindow::ReadFields() const {
    return {Position(m_jointI), Position(m_jointJ), Position(m_material), Position(m_section),
            ToStd(m_description->text())};
}

void MembersWindow::LoadFields(const std::vector<std::string>& cells) {
    Choose(m_section, cells[3]);
    Choose(m_material, cells[2]);
    Choose(m_jointJ, cells[1]);
    Choose(m_jointI, cells[0]);
    m_description->setText(FromStd(cells[4]));
}

void MembersWindow::ResetFields(bool) {
    m_description->setText("None");
}

QWidget* MembersWindow::FirstField() const {
    return m_jointI;
}

void MembersWindow::showEvent(QShowEvent* event) {
    FillLists();
    EditorWindow::showEvent(event);
}

void MembersWindow::Added(int row) {
    const project::Table& members = Doc().Document().Project().members;
    auto ends = [&](int r) {
        const int i = editing::RowReference(members.Cell(r, project::member_col::JointI));
        const int j = editing::RowReference(members.Cell(r, project::member_col::JointJ));
        return std::minmax(i, j);
    };
    const auto mine = ends(row);
    for (int r = 1; r < members.RowCount(); ++r) {
        if (r == row || ends(r) != mine) continue;
        emit Doc().remark(QString("Member %1 joins the same joints as member %2.").arg(row).arg(r));
        return;
    }
}

} // namespace varlen::gui
