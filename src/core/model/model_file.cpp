#include "model/model_file.h"

#include <string>

#include "io/text_file.h"
#include "project/number_text.h"

namespace varlen::model {
namespace {

using project::SmaRecord;
using project::SmaSection;

// The metres opening the file puts in the joints table, which BuildModel then converts back.
double TableMetres(double fileMillimetres) {
    return project::ScaleByPowerOfTen(fileMillimetres, -3);
}

class ModelSink final : public project::SmaSink {
public:
    Model model;

    void Title(int, std::string_view) override {}

    std::optional<std::string> Count(SmaSection section, int count) override {
        const auto n = static_cast<std::size_t>(count);
        switch (section) {
        case SmaSection::Joints:
            m_jointCount = count;
            model.joints.reserve(n);
            break;
        case SmaSection::Supports:
            if (count != m_jointCount)
                return "the supports section must list every joint: " + std::to_string(m_jointCount) +
                       " joints, but " + std::to_string(count) + " support lines";
            break;
        case SmaSection::Materials:
            model.materials.reserve(n);
            break;
        case SmaSection::Sections:
            model.sections.reserve(n);
            break;
        case SmaSection::Members:
            model.members.reserve(n);
            break;
        case SmaSection::Loads:
            model.loads.reserve(n);
            break;
        case SmaSection::Cases:
            model.moreCases.resize(n - 1);
            break;
        case SmaSection::Combinations:
            model.combinations.resize(n);
            break;
        case SmaSection::CaseLoads:
        case SmaSection::Factors:
            break;
        }
        return std::nullopt;
    }

    std::optional<std::string> Record(const SmaRecord& r) override {
        const auto& v = r.numbers;
        switch (r.section) {
        case SmaSection::Joints:
            model.joints.push_back(
                {Millimetres(TableMetres(v[0])), Millimetres(TableMetres(v[1])), false, false});
            break;
        case SmaSection::Supports:
            return Support(r);
        case SmaSection::Materials:
            model.materials.push_back({v[0]});
            break;
        case SmaSection::Sections:
            model.sections.push_back(SectionOf(v[0], r.text));
            break;
        case SmaSection::Members:
            model.members.push_back({v[0], v[1], v[2], v[3]});
            break;
        case SmaSection::Loads:
            model.loads.push_back({v[0], v[1], v[2]});
            break;
        case SmaSection::Cases:
            (r.index == 1 ? model.firstCaseName : model.moreCases[static_cast<std::size_t>(r.index) - 2].name)
                .assign(r.text);
            break;
        case SmaSection::CaseLoads:
            model.moreCases[static_cast<std::size_t>(r.group) - 2].loads.push_back({v[0], v[1], v[2]});
            break;
        case SmaSection::Combinations:
            model.combinations[static_cast<std::size_t>(r.index) - 1].name.assign(r.text);
            break;
        case SmaSection::Factors:
            model.combinations[static_cast<std::size_t>(r.group) - 1].factors.push_back({v[0], v[1]});
            break;
        }
        return std::nullopt;
    }

private:
    // Opening the file puts each support line into the row of the joint it names; a later line for the
    // same joint replaces an earlier one.
    std::optional<std::string> Support(const SmaRecord& r) {
        const double joint = r.numbers[0];
        // Joint 0 is what older files carry for a joint row never filled in: it names no joint.
        if (joint == 0) return std::nullopt;
        // The range first: a number beyond int has no int to compare with (the conversion is undefined).
        if (joint < 1 || joint > m_jointCount || joint != static_cast<int>(joint))
            return "support " + std::to_string(r.index) + " names joint " + std::string(r.fields[0]) +
                   ", which is not a joint number from 1 to " + std::to_string(m_jointCount);
        Joint& j = model.joints[static_cast<std::size_t>(joint) - 1];
        j.fixedX = IsRestraint(r.numbers[1]);
        j.fixedY = IsRestraint(r.numbers[2]);
        return std::nullopt;
    }

    int m_jointCount = 0;
};

} // namespace

ModelOutcome ModelFromText(std::string_view bytes) {
    ModelSink sink;
    if (auto problem = project::ParseSma(bytes, sink)) return {std::nullopt, *problem};
    return {std::move(sink.model), {}};
}

ModelOutcome ReadModelFile(const std::filesystem::path& path) {
    io::FileText file = io::ReadWholeFile(path);
    if (!file.bytes) return {std::nullopt, project::Diagnostic{0, file.error}};
    return ModelFromText(*file.bytes);
}

} // namespace varlen::model
