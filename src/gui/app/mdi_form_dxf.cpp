// The main window's DXF exchange: the File menu's Import and Export items.
#include <QDir>
#include <QFileInfo>

#include "app/mdi_form.h"
#include "dxf/dxf_import.h"
#include "results/summary_window.h"

namespace varlen::gui {

// The drawing goes beside the project without a question, as it always has; it shows the tables as
// they stand, unsaved edits included, not the file as last saved.
void MDIForm1::CreateDXF(const QString& plane) {
    const std::filesystem::path& project = m_document.Document().Path();
    if (project.empty()) {
        m_dialogs.Tell(this, dxf::kCannotExportTitle, dxf::kCannotExportText, UserDialogs::Icon::Critical);
        return;
    }
    const std::filesystem::path drawing = dxf::DxfPathFor(project);
    const QString name = QDir::toNativeSeparators(QString::fromStdString(drawing.string()));
    if (drawing.empty()) {
        m_dialogs.Tell(this, dxf::kCannotExportTitle,
                       "The drawing would replace the project file itself. Save the project under a name "
                       "ending in .sma first.",
                       UserDialogs::Icon::Critical);
        return;
    }
    const dxf::ExportOutcome written = dxf::CreateDXF(
        m_document.Document().Project(), plane == "XZ" ? dxf::Plane::XZ : dxf::Plane::XY, drawing);
    if (!written.ok) {
        m_dialogs.Tell(this, dxf::kCannotExportTitle,
                       QString("The drawing \"%1\" was not written:\n%2")
                           .arg(name, QString::fromStdString(written.error)),
                       UserDialogs::Icon::Critical);
        return;
    }
    Say(QString("Exported %1 member%2 as lines in the %3 plane, in millimetres, to %4")
            .arg(written.lines)
            .arg(written.lines == 1 ? "" : "s")
            .arg(plane == "XZ" ? "X-Z" : "X-Y", name));
}

// The drawing is read whole before anything changes: a damaged file leaves the project as it was. The
// import is one edit, so Undo brings the tables back; the project keeps its name, as the drawing is
// an edit of it.
void MDIForm1::ImportDXF(const QString& plane) {
    if (SaveChanges() == Proceed::Stop) return;
    const QString current = QString::fromStdString(m_document.Document().Path().string());
    const QString path = m_dialogs.OpenFileName(this, dxf::kOpenDrawingTitle, dxf::kDrawingFilter, current);
    if (path.isEmpty()) return;
    dxf::ImportOutcome imported =
        dxf::ImportDXFFile(path.toStdString(), plane == "XY" ? dxf::Plane::XY : dxf::Plane::XZ);
    if (!imported.project) {
        const project::Diagnostic& problem = imported.problem;
        m_dialogs.Tell(
            this, "Varlen",
            QString("The drawing \"%1\" cannot be imported:\n%2\n\nNothing was changed.")
                .arg(QDir::toNativeSeparators(path),
                     QString::fromStdString(problem.line > 0 ? problem.ToString() : problem.message)),
            UserDialogs::Icon::Warning);
        return;
    }
    HideChild();
    m_document.Apply(document::ReplaceProjectEdit{std::move(*imported.project)},
                     "Import DXF " + QFileInfo(path).fileName());
    m_document.Document().DropResults();
    const QString message = QString::fromStdString(imported.message);
    Say(message.section('\n', 0, 0));
    ShowFirstLook();
    m_dialogs.Tell(this, "DXF Import", message, UserDialogs::Icon::Information);
}

} // namespace varlen::gui
