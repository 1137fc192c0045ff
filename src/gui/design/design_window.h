// frmBS449: the three checks of BS 449 Part 2 (tension, compression, fillet welds), each with its
// inputs, a Design button and a grid, filled from the results store when the window opens.
#pragma once

#include <QWidget>
#include <functional>

#include "app/document_object.h"
#include "app/user_dialogs.h"
#include "design/bs449.h"

class QComboBox;
class QTableWidget;

namespace varlen::gui {

class Settings;

class DesignWindow final : public QWidget {
    Q_OBJECT
public:
    // The tables take the decimal places the settings hold at the moment a check runs.
    DesignWindow(DocumentObject& document, UserDialogs& dialogs, const Settings& settings,
                 QWidget* parent = nullptr);

    void Design();
    void CompressionDesign();
    void WeldDesign();

signals:
    void doneClicked();

private:
    void Tell(const design::DesignFault& fault);

    DocumentObject& m_document;
    UserDialogs& m_dialogs;
    const Settings& m_settings;
    QComboBox* m_pt;
    QComboBox* m_ys;
    QComboBox* m_leg;
    QComboBox* m_pw;
    QTableWidget* m_tension;
    QTableWidget* m_compression;
    QTableWidget* m_welds;
};

} // namespace varlen::gui
