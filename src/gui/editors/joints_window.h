// frmJoints: joints with their co-ordinates in metres and their supports.
#pragma once

#include "editors/editor_window.h"

class QCheckBox;
class QLineEdit;
class QSvgWidget;

namespace varlen::gui {

class JointsWindow final : public EditorWindow {
    Q_OBJECT
public:
    JointsWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent = nullptr);
    // The picture of the support the two restraint boxes describe.
    void CheckJoints();
    [[nodiscard]] QString SupportPicture() const { return m_picture; }

protected:
    std::vector<std::string> ReadFields() const override;
    void LoadFields(const std::vector<std::string>& cells) override;
    void ResetFields(bool afterAdd) override;
    QWidget* FirstField() const override;
    std::vector<NumberBox> NumberBoxes() const override;

private:
    QLineEdit* m_number;
    QCheckBox* m_sameX;
    QLineEdit* m_x;
    QCheckBox* m_sameY;
    QLineEdit* m_y;
    QLineEdit* m_description;
    QCheckBox* m_fixedX;
    QCheckBox* m_fixedY;
    QLineEdit* m_restraint;
    QSvgWidget* m_supportView;
    QString m_picture;
};

} // namespace varlen::gui
