#include "editors/joint_load_window.h"

#include <QSignalBlocker>
#include <QSvgWidget>
#include <QTableView>

#include "editors/editor_fields.h"

namespace varlen::gui {
namespace {

QSvgWidget* Picture(QWidget* owner, const QString& name, const QString& file) {
    auto* view = new QSvgWidget(":/pictures/" + file + ".svg", owner);
    view->setObjectName(name);
    view->setFixedSize(60, 45);
    return view;
}

} // namespace

JointLoadWindow::JointLoadWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent)
    : EditorWindow(document, dialogs, editing::TableKind::Loads,
                   {"frmJointLoad", "GridJointLoad", "cmdAddJoint", "cmdRemoveJoint"}, parent) {
    setWindowTitle("Joint Load");
    QGridLayout* f = Fields();
    // Which load case's joint loads the grid and the fields are of; cases are made in Load Cases.
    m_case = AddListField(this, f, 0, "Load Case", "cboLoadCase");
    m_joint = AddListField(this, f, 1, "Joint Number", "cmbJoints");
    m_jointText = new QLabel(this);
    m_jointText->setObjectName("lblJointD");
    m_jointText->setStyleSheet("color: #204080");
    f->addWidget(m_jointText, 2, 1);
    f->addWidget(Picture(this, "WebFx", "ForceX"), 3, 0, Qt::AlignRight);
    m_fx = AddLineField(this, f, 4, "Fx (kN)", "txtFx", editing::KeyFilter::SignedNumber);
    f->addWidget(Picture(this, "WebFy", "ForceY"), 5, 0, Qt::AlignRight);
    m_fy = AddLineField(this, f, 6, "Fy (kN)", "txtFy", editing::KeyFilter::SignedNumber);
    m_description = AddLineField(this, f, 7, "Joint Load Description", "txtJointLoadDescription",
                                 editing::KeyFilter::Description);
    connect(m_joint, &QComboBox::currentIndexChanged, this, &JointLoadWindow::ShowJointText);
    connect(m_case, &QComboBox::activated, this, [this](int index) { ShowLoadCase(index + 1); });
    connect(&document, &DocumentObject::loadCasesEdited, this, &JointLoadWindow::FillCases);
    connect(&document, &DocumentObject::tablesReplaced, this, &JointLoadWindow::FillCases);
    connect(Grid(), &QAbstractItemView::clicked, m_joint, [this] { m_joint->setFocus(); });
    Finish(nullptr, {500, 1000, 1000, 1400});
    resize(Twips(10200), Twips(6180));
}

void JointLoadWindow::FillCases() {
    const project::Project& p = Doc().Document().Project();
    QStringList names;
    for (int c = 1; c <= p.CaseCount(); ++c)
        names << QString("%1  %2").arg(c).arg(QString::fromStdString(p.CaseName(c)));
    const QSignalBlocker quiet(m_case);
    m_case->clear();
    m_case->addItems(names);
    m_case->setCurrentIndex(std::min(Editor().LoadCase(), p.CaseCount()) - 1);
}

void JointLoadWindow::FillList() {
    FillNumberList(m_joint, Doc().Document().Project().joints.EntryCount());
    ShowJointText();
    m_joint->setFocus();
}

void JointLoadWindow::ShowJointText() {
    const int row = m_joint->currentIndex() + 1;
    const auto cell = row >= 1 ? Doc().Document().Project().joints.Cell(row, project::joint_col::Description)
                               : std::string_view();
    m_jointText->setText(QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size())));
}

std::vector<std::string> JointLoadWindow::ReadFields() const {
    return {std::to_string(m_joint->currentIndex() + 1), ToStd(m_fx->text()), ToStd(m_fy->text()),
            ToStd(m_description->text())};
}

void JointLoadWindow::LoadFields(const std::vector<std::string>& cells) {
    const int position = editing::RowReference(cells[0]) - 1;
    m_joint->setCurrentIndex(position >= 0 && position < m_joint->count() ? position : -1);
    m_fx->setText(FromStd(cells[1]));
    m_fy->setText(FromStd(cells[2]));
    m_description->setText(FromStd(cells[3]));
}

void JointLoadWindow::ResetFields(bool) {
    m_fx->clear();
    m_fy->clear();
    m_description->setText("None");
}

QWidget* JointLoadWindow::FirstField() const {
    return m_fy;
}

std::vector<EditorWindow::NumberBox> JointLoadWindow::NumberBoxes() const {
    return {{"Fx", m_fx}, {"Fy", m_fy}};
}

void JointLoadWindow::showEvent(QShowEvent* event) {
    FillCases();
    FillList();
    EditorWindow::showEvent(event);
}

} // namespace varlen::gui
