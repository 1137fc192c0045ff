// The three results windows (frmGlobalDisplacements, frmLocalForces, frmReactions): a member list, the
// chosen member's description and a labelled grid of its four end values from the results store,
// rendered with the decimal places of the last analysis. And frmOptions, which holds those places.
#pragma once

#include <QWidget>

#include "analysis/results.h"
#include "app/document_object.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace varlen::gui {

class Settings;

enum class ResultsKind { GlobalDisplacements, LocalForces, GlobalForces };

class ResultsWindow final : public QWidget {
    Q_OBJECT
public:
    ResultsWindow(DocumentObject& document, ResultsKind kind, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Refill();
    void ShowChosen(int position);
    void FitGridToTable();

    DocumentObject& m_document;
    ResultsKind m_kind;
    QComboBox* m_members;
    QLabel* m_description;
    QTableWidget* m_grid;
};

// "Plotting Options": the box that sets the decimal places in the settings, as it is typed.
class OptionsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit OptionsWindow(Settings& settings, QWidget* parent = nullptr);

private:
    // The box's digits as places (0 when empty; more than two significant digits count as 99).
    [[nodiscard]] int Places() const;

    Settings& m_settings;
    QLineEdit* m_places;
};

} // namespace varlen::gui
