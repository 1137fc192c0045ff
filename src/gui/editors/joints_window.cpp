#include "editors/joints_window.h"

#include <QSvgWidget>

#include "editors/editor_fields.h"

namespace varlen::gui {

JointsWindow::JointsWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent)
    : EditorWindow(document, dialogs, editing::TableKind::Joints,
                   {"frmJoints", "GridJoints", "cmdAddJoint", "cmdRemoveJoint"}, parent) {
    setWindowTitle("Joints");
    QGridLayout* f = Fields();
    auto* heading = new QLabel("<b>Joints</b>", this);
    f->addWidget(heading, 0, 0, 1, 2);
    m_number = AddLineField(this, f, 1, "Joint Number", "txtJointNumber", std::nullopt);
    m_sameX = new QCheckBox("X-Coordinate (m)", this);
    m_sameX->setObjectName("chkSameXCoord");
    m_sameX->setToolTip("Ticked: the X co-ordinate stays for the next joint");
    m_x = AddLineField(this, f, 2, {}, "txtXCoord", editing::KeyFilter::SignedNumber, m_sameX);
    m_sameY = new QCheckBox("Y-Cooridinate (m)", this);
    m_sameY->setObjectName("chkSameYCoord");
    m_sameY->setToolTip("Ticked: the Y co-ordinate stays for the next joint");
    m_y = AddLineField(this, f, 3, {}, "txtYCoord", editing::KeyFilter::SignedNumber, m_sameY);
    m_description =
        AddLineField(this, f, 4, "Joint Description", "txtJointDescription", editing::KeyFilter::Description);
    f->addWidget(new QLabel("<b>Restraints</b>", this), 5, 0, 1, 2);
    m_fixedX = new QCheckBox("1) No Displacements Along X-Axis", this);
    m_fixedX->setObjectName("chkDisplacementsX");
    m_fixedY = new QCheckBox("2) No Displacements Along Y-Axis", this);
    m_fixedY->setObjectName("chkDisplacementsY");
    AttachFieldBehaviour(m_fixedX, std::nullopt);
    AttachFieldBehaviour(m_fixedY, std::nullopt);
    f->addWidget(m_fixedX, 6, 0, 1, 2);
    f->addWidget(m_fixedY, 7, 0, 1, 2);
    m_restraint = AddLineField(this, f, 8, "Restraint Description", "txtRestraintDescription",
                               editing::KeyFilter::Description);
    m_supportView = new QSvgWidget(this);
    m_supportView->setObjectName("WebJoints");
    m_supportView->setFixedSize(120, 90);
    f->addWidget(m_supportView, 9, 0, 1, 2, Qt::AlignCenter);
    connect(m_fixedX, &QCheckBox::toggled, this, &JointsWindow::CheckJoints);
    connect(m_fixedY, &QCheckBox::toggled, this, &JointsWindow::CheckJoints);
    CheckJoints();
    Finish(m_number, {500, 1000, 1000, 1200, 700, 700, 900});
    resize(Twips(11880), Twips(6180));
}

void JointsWindow::CheckJoints() {
    const bool x = m_fixedX->isChecked(), y = m_fixedY->isChecked();
    m_picture = x && y ? "FixXY" : x ? "FixX" : y ? "FixY" : "Free";
    m_supportView->load(":/pictures/" + m_picture + ".svg");
    m_supportView->setToolTip(m_picture);
}

std::vector<std::string> JointsWindow::ReadFields() const {
    return {ToStd(m_x->text()),
            ToStd(m_y->text()),
            ToStd(m_description->text()),
            m_fixedX->isChecked() ? "1" : "0",
            m_fixedY->isChecked() ? "1" : "0",
            ToStd(m_restraint->text())};
}

void JointsWindow::LoadFields(const std::vector<std::string>& cells) {
    m_x->setText(FromStd(cells[0]));
    m_y->setText(FromStd(cells[1]));
    m_description->setText(FromStd(cells[2]));
    m_fixedX->setChecked(editing::IsFixed(cells[3]));
    m_fixedY->setChecked(editing::IsFixed(cells[4]));
    m_restraint->setText(FromStd(cells[5]));
}

void JointsWindow::ResetFields(bool afterAdd) {
    // The ticked co-ordinate stays for the next joint along the same grid line. The restraints start
    // clear: a support carried over unseen would fix the next joint without the user asking.
    if (!afterAdd || !m_sameX->isChecked()) m_x->clear();
    if (!afterAdd || !m_sameY->isChecked()) m_y->clear();
    m_description->setText("Gridline ?? / ??");
    m_restraint->setText("None");
    m_fixedX->setChecked(false);
    m_fixedY->setChecked(false);
}

QWidget* JointsWindow::FirstField() const {
    return m_x;
}

std::vector<EditorWindow::NumberBox> JointsWindow::NumberBoxes() const {
    return {{"X Co-ordinate", m_x}, {"Y Co-ordinate", m_y}};
}

} // namespace varlen::gui
