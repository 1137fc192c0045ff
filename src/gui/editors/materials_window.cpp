#include "editors/materials_window.h"

#include <QPlainTextEdit>

#include "editors/editor_fields.h"

namespace varlen::gui {
namespace {

// Typical moduli for the user to copy from; nothing reads this text.
const char* kReferenceText =
    "Material\tE (kN/mm2)\n"
    "--------\t----------\n"
    "Steel\t205\n\n"
    "Source: British Standard for the structural use of steelwork in building, Part 1 (1990)\n\n"
    "Material\tE kN/mm2)\n"
    "--------\t----------\n"
    "Aluminium Alloy\t70\n"
    "Brass\t103\n"
    "Bronze\t103\n"
    "Cast Iron\t103\n"
    "Concrete (C25)\t25\n"
    "Concrete (C30)\t26\n"
    "Concrete (C40)\t28\n"
    "Concrete (C50)\t30\n"
    "Concrete (C60)\t32\n"
    "Steel (mild)\t200\n"
    "Steel (high carbon)\t200\n"
    "Timber\t12\n\n"
    "Source: a reinforced concrete design textbook\n";

} // namespace

MaterialsWindow::MaterialsWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent)
    : EditorWindow(document, dialogs, editing::TableKind::Materials,
                   {"frmMaterialProperties", "GridMaterials", "cmdAddMaterial", "cmdRemoveMaterial"},
                   parent) {
    setWindowTitle("Material Properties");
    QGridLayout* f = Fields();
    m_number = AddLineField(this, f, 0, "Material Number", "txtMaterialNumber", std::nullopt);
    m_modulus = AddLineField(this, f, 1, "Young's Modulus, E (kN/mm\u00b2)", "txtYoungsModulus",
                             editing::KeyFilter::UnsignedNumber);
    m_description = AddLineField(this, f, 2, "Material Description", "txtMaterialDescription",
                                 editing::KeyFilter::Description);
    auto* reference = new QPlainTextEdit(kReferenceText, this);
    reference->setObjectName("Text1");
    reference->setReadOnly(true);
    reference->setTabStopDistance(130);
    reference->setMinimumHeight(200);
    f->addWidget(reference, 3, 0, 1, 2);
    // Blanks typed or pasted around a modulus vanish at once.
    connect(m_modulus, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString trimmed = text.trimmed();
        if (trimmed != text) m_modulus->setText(trimmed);
    });
    Finish(m_number, {500, 1300, 1700});
    resize(Twips(11140), Twips(6345));
}

std::vector<std::string> MaterialsWindow::ReadFields() const {
    return {ToStd(m_modulus->text()), ToStd(m_description->text())};
}

void MaterialsWindow::LoadFields(const std::vector<std::string>& cells) {
    m_modulus->setText(FromStd(cells[0]));
    m_description->setText(FromStd(cells[1]));
}

void MaterialsWindow::ResetFields(bool) {
    m_modulus->clear();
    m_description->setText("None");
}

QWidget* MaterialsWindow::FirstField() const {
    return m_modulus;
}

std::vector<EditorWindow::NumberBox> MaterialsWindow::NumberBoxes() const {
    return {{"Young's Modulus", m_modulus}};
}

} // namespace varlen::gui
