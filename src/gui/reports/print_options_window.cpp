#include "reports/print_options_window.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QPushButton>

#include "app/document_object.h"
#include "app/user_dialogs.h"
#include "drawing/scene.h"
#include "drawing/svg_writer.h"
#include "report/docx_report.h"
#include "wireframe/scene_painter.h"

namespace varlen::gui {
namespace {

constexpr const char* kRefusalTitle = "Please Analyse Your Structure";
constexpr const char* kRefusalText =
    "Changes Occured or Structure has not been analysed! Structure Cannot Be Printed.";

struct Box {
    const char* name;
    const char* caption;
};
// The boxes that choose a section, in the order of report::ReportSections.
constexpr Box kSectionBoxes[9] = {
    {"chkJointCoordinates", "Joint Co-ordinates"},
    {"chkJointSupports", "Joint Supports"},
    {"chkMaterialProperties", "Material Properties"},
    {"chkCrossSectionalProperties", "Cross Sectional Properties"},
    {"chkMemberConnectivity", "Member Connectivity"},
    {"chkLoading", "Loading"},
    {"chkGlobalDisplacements", "Global Displacements"},
    {"chkLocalForces", "Local Forces"},
    {"chkReactions", "Reactions"},
};
// A pin-jointed truss has no bending: these stay greyed.
constexpr Box kBendingBoxes[3] = {
    {"chkBendingMomentValues", "Bending Moment Values"},
    {"chkShearForceValues", "Shear Force Values"},
    {"chkDeflectionValues", "Deflection Values"},
};

std::array<bool*, 9> Flags(report::ReportSections& s) {
    return {&s.jointCoordinates,         &s.jointSupports,      &s.materialProperties,
            &s.crossSectionalProperties, &s.memberConnectivity, &s.loading,
            &s.globalDisplacements,      &s.localForces,        &s.reactions};
}

// The truss in one view, drawn whole, as PNG and SVG for the word report.
report::ReportPicture Picture(const project::Project& project, const analysis::Results& results,
                              drawing::View view, const std::string& caption) {
    const drawing::Scene scene = drawing::BuildScene(project, &results, view);
    const drawing::ViewRect whole = WholeTruss(project, scene);
    const QImage image = PictureImage(scene, whole, 1600);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    drawing::SvgOptions options;
    options.view = whole;
    options.widthPx = 1600;
    report::ReportPicture picture;
    picture.png = png.toStdString();
    picture.svg = drawing::WriteSvg(scene, options);
    picture.widthPx = image.width();
    picture.heightPx = image.height();
    picture.caption = caption;
    return picture;
}

} // namespace

PrintOptionsWindow::PrintOptionsWindow(DocumentObject& document, UserDialogs& dialogs,
                                       QString temporaryFolder, QWidget* parent)
    : QWidget(parent), m_document(document), m_dialogs(dialogs), m_temporary(std::move(temporaryFolder)) {
    setObjectName("frmPrintOptions");
    setWindowTitle("Print Options");
    auto* layout = new QGridLayout(this);
    for (int i = 0; i < 9; ++i) {
        m_boxes[static_cast<std::size_t>(i)] = new QCheckBox(kSectionBoxes[i].caption, this);
        m_boxes[static_cast<std::size_t>(i)]->setObjectName(kSectionBoxes[i].name);
        layout->addWidget(m_boxes[static_cast<std::size_t>(i)], i % 6, i / 6);
    }
    for (int i = 0; i < 3; ++i) {
        auto* box = new QCheckBox(kBendingBoxes[i].caption, this);
        box->setObjectName(kBendingBoxes[i].name);
        box->setEnabled(false);
        box->setToolTip("A pin-jointed truss carries axial force only: there is no bending to report.");
        layout->addWidget(box, 3 + i, 1);
    }
    m_notepad = new QPushButton("Notepad...", this);
    m_notepad->setObjectName("cmdNotepad");
    m_notepad->setToolTip("Writes the text report and opens it in the text editor");
    m_word = new QPushButton("Microsoft Word for Windows 7.0...", this);
    m_word->setObjectName("cmdWord");
    m_word->setToolTip("Writes the word report (.docx) and opens it in the word processor");
    auto* save = new QPushButton("Save Report &As...", this);
    save->setObjectName("cmdSaveReport");
    auto* done = new QPushButton("&Done", this);
    done->setObjectName("cmdDone");
    layout->addWidget(m_notepad, 6, 0);
    layout->addWidget(m_word, 6, 1);
    layout->addWidget(save, 7, 0);
    layout->addWidget(done, 7, 1, Qt::AlignRight);
    connect(m_notepad, &QPushButton::clicked, this, &PrintOptionsWindow::WriteTextReport);
    connect(m_word, &QPushButton::clicked, this, &PrintOptionsWindow::WriteWordReport);
    connect(save, &QPushButton::clicked, this, &PrintOptionsWindow::SaveReportAs);
    connect(done, &QPushButton::clicked, this, [this] { parentWidget() ? parentWidget()->hide() : hide(); });
    Prepare(Report::Text);
    resize(sizeHint()); // compact: twelve boxes and four buttons need no more
}

void PrintOptionsWindow::Prepare(Report which) {
    report::ReportSections sections =
        which == Report::Text ? report::TextReportSections() : report::WordReportSections();
    const auto flags = Flags(sections);
    for (std::size_t i = 0; i < flags.size(); ++i)
        m_boxes[i]->setChecked(*flags[i]);
    m_notepad->setDefault(which == Report::Text);
    m_word->setDefault(which == Report::Word);
    (which == Report::Text ? m_notepad : m_word)->setFocus();
}

report::ReportSections PrintOptionsWindow::Sections() const {
    report::ReportSections sections;
    const auto flags = Flags(sections);
    for (std::size_t i = 0; i < flags.size(); ++i)
        *flags[i] = m_boxes[i]->isChecked();
    return sections;
}

void PrintOptionsWindow::Refuse(const QString& cause) {
    m_dialogs.Tell(this, kRefusalTitle,
                   cause.isEmpty() ? QString(kRefusalText) : QString(kRefusalText) + "\n" + cause,
                   UserDialogs::Icon::Critical);
}

bool PrintOptionsWindow::ResultsAreCurrent() {
    if (m_document.Document().Stale() || !m_document.Results()) {
        Refuse();
        return false;
    }
    return true;
}

bool PrintOptionsWindow::Write(Report which, const QString& path, bool show) {
    const document::ProjectDocument& doc = m_document.Document();
    const analysis::Results& results = *m_document.Results();
    const std::filesystem::path target = path.toStdString();
    report::ReportWriteOutcome written;
    if (which == Report::Text) {
        written =
            report::WriteTextReport(target, doc.Project(), &results, m_document.ResultPlaces(), Sections());
    } else {
        report::WordReportExtras extras;
        extras.pictures.push_back(
            Picture(doc.Project(), results, drawing::View::Model, "Figure 1: Wireframe Model"));
        extras.pictures.push_back(Picture(doc.Project(), results, drawing::View::Forces,
                                          "Figure 2: Axial Forces (kN, tension positive)"));
        extras.designTables = m_document.DesignTables();
        written = report::WriteDocxReport(target, doc.Project(), results, m_document.ResultPlaces(),
                                          Sections(), extras);
    }
    if (!written.ok) {
        Refuse(QString::fromStdString(written.error));
        return false;
    }
    if (show && !m_dialogs.ShowFile(path))
        m_dialogs.Tell(
            this, "Print Options",
            QString("The report was written to \"%1\", but no program to show it could be started; "
                    "open it from there.")
                .arg(QDir::toNativeSeparators(path)),
            UserDialogs::Icon::Information);
    return true;
}

bool PrintOptionsWindow::WriteTextReport() {
    if (!ResultsAreCurrent()) return false;
    return Write(Report::Text, QDir(m_temporary).filePath(report::kTextReportFileName), true);
}

bool PrintOptionsWindow::WriteWordReport() {
    if (!ResultsAreCurrent()) return false;
    return Write(Report::Word, QDir(m_temporary).filePath(report::kWordReportFileName), true);
}

void PrintOptionsWindow::SaveReportAs() {
    if (!ResultsAreCurrent()) return;
    const std::filesystem::path project = m_document.Document().Path();
    const QString suggestion = project.empty()
                                   ? QString()
                                   : QString::fromStdString(project.parent_path() / project.stem()) + ".docx";
    const QString path = m_dialogs.SaveFileName(this, "Save Report As",
                                                "Word report (*.docx);;Text report (*.txt)", suggestion);
    if (path.isEmpty()) return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != "docx" && suffix != "txt") {
        m_dialogs.Tell(this, "Save Report As",
                       QString("\"%1\" is not a report Varlen writes: give a name ending in .docx or .txt.")
                           .arg(QDir::toNativeSeparators(path)),
                       UserDialogs::Icon::Warning);
        return;
    }
    Write(suffix == "txt" ? Report::Text : Report::Word, path, false);
}

} // namespace varlen::gui
