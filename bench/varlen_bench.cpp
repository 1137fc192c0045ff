// Phase benchmarks on generated trusses, each beside the baseline it is judged against:
//   read, check and assemble, output   against   a bare parse of the input and a bare format of the output
//   the sparse solve                   against   a bare CHOLMOD factorisation and solve of the same matrix
// Usage: varlen_bench DIR [google-benchmark options]; DIR holds the .sma files to measure.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <Eigen/CholmodSupport>

#include "analysis/analysis.h"
#include "analysis/assembly.h"
#include "analysis/factor_memory.h"
#include "analysis/results_file.h"
#include "analysis/results_json.h"
#include "io/text_file.h"
#include "model/model_file.h"
#include "project/number_text.h"

namespace {

using namespace varlen;

struct Case {
    std::string name;
    std::filesystem::path path;
    std::string bytes;
    model::Model input;
    std::vector<analysis::MemberState> members;
    analysis::DofMap dofs;
    analysis::SparseMatrix k;
    Eigen::VectorXd f;
    std::optional<analysis::Results> results;
};

// The members as the engine prepares them; the input is known to be sound.
std::vector<analysis::MemberState> Members(const model::Model& in) {
    std::vector<analysis::MemberState> states;
    states.reserve(in.members.size());
    for (const auto& m : in.members) {
        const auto i = static_cast<std::size_t>(m.jointI) - 1, j = static_cast<std::size_t>(m.jointJ) - 1;
        const double dx = in.joints[j].x - in.joints[i].x, dy = in.joints[j].y - in.joints[i].y;
        const double l = std::sqrt(dx * dx + dy * dy);
        states.push_back({static_cast<int>(m.jointI), static_cast<int>(m.jointJ),
                          analysis::Transformation(dx, dy, l),
                          analysis::LocalStiffness(in.MaterialAt(static_cast<int>(m.material)).youngsModulus,
                                                   in.SectionAt(static_cast<int>(m.section)).area, l)});
    }
    return states;
}

Case Load(const std::filesystem::path& path) {
    Case c;
    c.name = path.stem().string();
    c.path = path;
    c.bytes = *io::ReadWholeFile(path).bytes;
    c.input = *model::ModelFromText(c.bytes).model;
    c.members = Members(c.input);
    std::vector<std::uint8_t> restraint(c.input.joints.size(), 0);
    for (std::size_t j = 0; j < restraint.size(); ++j)
        restraint[j] = static_cast<std::uint8_t>(c.input.joints[j].fixedX | (c.input.joints[j].fixedY << 1));
    c.dofs = analysis::BoundaryConditions(restraint);
    c.k = analysis::StructuralStiffness(c.input.JointCount(), c.members, c.dofs);
    std::vector<double> load(2 * c.input.joints.size(), 0.0);
    for (const auto& l : c.input.loads) {
        load[2 * (static_cast<std::size_t>(l.joint) - 1)] += l.fx;
        load[2 * (static_cast<std::size_t>(l.joint) - 1) + 1] += l.fy;
    }
    c.f.resize(static_cast<Eigen::Index>(c.dofs.dofOfFree.size()));
    for (std::size_t q = 0; q < c.dofs.dofOfFree.size(); ++q)
        c.f[static_cast<Eigen::Index>(q)] = load[static_cast<std::size_t>(c.dofs.dofOfFree[q])];
    c.results = analysis::Analyse(c.input).results;
    return c;
}

void Read(benchmark::State& state, const Case* c) {
    for (auto _ : state) {
        auto read = model::ModelFromText(c->bytes);
        benchmark::DoNotOptimize(read.model->joints.data());
    }
}

// Split into lines and fields and convert every numeric field, nothing else: the least any reader does.
void BareParse(benchmark::State& state, const Case* c) {
    for (auto _ : state) {
        double sum = 0;
        const char* p = c->bytes.data();
        const char* end = p + c->bytes.size();
        while (p < end) {
            while (p < end && (*p == ' ' || *p == ',' || *p == '\r' || *p == '\n'))
                ++p;
            if (p < end && *p == '"') {
                p = static_cast<const char*>(std::memchr(p + 1, '"', static_cast<std::size_t>(end - p - 1)));
                p = p ? p + 1 : end;
                continue;
            }
            double value = 0;
            auto [next, ec] = std::from_chars(p, end, value);
            if (ec != std::errc()) {
                ++p;
                continue;
            }
            sum += value;
            p = next;
        }
        benchmark::DoNotOptimize(sum);
    }
}

// The model with `count` load cases: the file's loads, then the same joints loaded differently in each
// further case (more across, less down), so that no two right-hand sides are alike.
model::Model WithCases(const model::Model& in, int count) {
    model::Model out = in;
    for (int k = 2; k <= count; ++k) {
        model::LoadCase& c = out.moreCases.emplace_back(model::LoadCase{"Case " + std::to_string(k), {}});
        for (const model::Load& l : in.loads)
            c.loads.push_back({l.joint, l.fx + k, l.fy * (1.0 + 0.1 * k)});
    }
    return out;
}

// The whole analysis of every case, with the envelope: one factorisation however many cases there are.
void AnalyseCases(benchmark::State& state, const Case* c, int count) {
    const model::Model input = WithCases(c->input, count);
    for (auto _ : state) {
        analysis::AnalysisOutcome outcome = analysis::Analyse(input, {analysis::Ordering::Auto, {}, true});
        if (!outcome.loadCases || outcome.loadCases->cases.size() != static_cast<std::size_t>(count)) {
            state.SkipWithError("the analysis stopped");
            return;
        }
        state.counters["factor_s"] = outcome.times.factor;
        state.counters["solve_s"] = outcome.times.solve;
        state.counters["forces_s"] = outcome.times.forces;
    }
}

void CheckAndAssemble(benchmark::State& state, const Case* c) {
    for (auto _ : state) {
        auto members = Members(c->input);
        auto k = analysis::StructuralStiffness(c->input.JointCount(), members, c->dofs);
        benchmark::DoNotOptimize(k.valuePtr());
    }
}

void Solve(benchmark::State& state, const Case* c, analysis::Ordering ordering) {
    std::vector<int> jointOfColumn(c->dofs.dofOfFree.size());
    for (std::size_t q = 0; q < jointOfColumn.size(); ++q)
        jointOfColumn[q] = c->dofs.dofOfFree[q] / 2;
    for (auto _ : state) {
        Eigen::VectorXd x;
        const auto outcome = analysis::SolveSparseCholesky(c->k, c->f, x, jointOfColumn, ordering);
        if (!outcome.solved) state.SkipWithError("not solved");
        state.counters["order_s"] = outcome.analyseSeconds;
        state.counters["factor_s"] = outcome.factorSeconds;
        state.counters["GFLOPs"] = outcome.factorFlops / outcome.factorSeconds * 1e-9;
    }
}

// CHOLMOD through Eigen as it comes: its own choice of ordering (AMD, METIS when AMD fills badly).
void BareCholmod(benchmark::State& state, const Case* c, int ordering) {
    for (auto _ : state) {
        Eigen::CholmodSupernodalLLT<analysis::SparseMatrix, Eigen::Upper> solver;
        if (ordering >= 0) {
            solver.cholmod().nmethods = 1;
            solver.cholmod().method[0].ordering = ordering;
        }
        solver.compute(c->k);
        Eigen::VectorXd x = solver.solve(c->f);
        benchmark::DoNotOptimize(x.data());
    }
}

void Output(benchmark::State& state, const Case* c) {
    const auto dir = std::filesystem::temp_directory_path();
    for (auto _ : state) {
        (void)analysis::WriteResultsFile(*c->results, dir / "varlen-bench.txt");
        (void)analysis::WriteResultsJsonFile(*c->results, dir / "varlen-bench.json");
    }
    std::filesystem::remove(dir / "varlen-bench.txt");
    std::filesystem::remove(dir / "varlen-bench.json");
}

// Every number the two outputs hold, formatted to the shortest round-trip text and not written.
void BareFormat(benchmark::State& state, const Case* c) {
    const analysis::Results& r = *c->results;
    char text[64];
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (int m = 1; m <= r.MemberCount(); ++m) {
            for (const auto& v : {r.MemberGlobalDisp(m), r.MemberLocalForce(m), r.MemberGlobalForce(m)})
                for (double x : v)
                    bytes += static_cast<std::size_t>(std::to_chars(text, text + 64, x).ptr - text) * 2;
            bytes += static_cast<std::size_t>(std::to_chars(text, text + 64, r.AxialForce(m)).ptr - text);
        }
        for (int j = 1; j <= r.JointCount(); ++j)
            bytes += static_cast<std::size_t>(std::to_chars(text, text + 64, r.Dx(j)).ptr - text) +
                     static_cast<std::size_t>(std::to_chars(text, text + 64, r.Dy(j)).ptr - text);
        benchmark::DoNotOptimize(bytes);
    }
}

} // namespace

int main(int argc, char** argv) {
    // The bare CHOLMOD baselines get the threads and memory the program factorises with.
    const varlen::analysis::FactorScope solverSettings;
    if (argc < 2) {
        std::fprintf(stderr, "usage: varlen_bench DIR [benchmark options]\n");
        return 2;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.path().extension() == ".sma") files.push_back(entry.path());
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        return std::filesystem::file_size(a) < std::filesystem::file_size(b);
    });
    static std::vector<std::unique_ptr<Case>> cases;
    for (const auto& file : files) {
        cases.push_back(std::make_unique<Case>(Load(file)));
        const Case* c = cases.back().get();
        const auto ms = benchmark::kMillisecond;
        benchmark::RegisterBenchmark((c->name + "/read").c_str(), Read, c)->Unit(ms)->UseRealTime();
        benchmark::RegisterBenchmark((c->name + "/bare_parse").c_str(), BareParse, c)
            ->Unit(ms)
            ->UseRealTime();
        benchmark::RegisterBenchmark((c->name + "/check_assemble").c_str(), CheckAndAssemble, c)
            ->Unit(ms)
            ->UseRealTime();
        benchmark::RegisterBenchmark((c->name + "/solve").c_str(), Solve, c, analysis::Ordering::Auto)
            ->Unit(ms)
            ->UseRealTime();
        benchmark::RegisterBenchmark((c->name + "/bare_cholmod_default").c_str(), BareCholmod, c, -1)
            ->Unit(ms)
            ->UseRealTime();
        benchmark::RegisterBenchmark((c->name + "/bare_cholmod_metis").c_str(), BareCholmod, c, CHOLMOD_METIS)
            ->Unit(ms)
            ->UseRealTime();
        // Load cases: twenty cost one factorisation and twenty passes over the factor. A million joints
        // with twenty sets of results would need gigabytes more than the one case the rest measures.
        if (c->input.JointCount() <= 200000)
            for (int count : {1, 20})
                benchmark::RegisterBenchmark(
                    (c->name + "/analyse_" + std::to_string(count) + "_cases").c_str(), AnalyseCases, c,
                    count)
                    ->Unit(ms)
                    ->UseRealTime();
        benchmark::RegisterBenchmark((c->name + "/output").c_str(), Output, c)->Unit(ms)->UseRealTime();
        benchmark::RegisterBenchmark((c->name + "/bare_format").c_str(), BareFormat, c)
            ->Unit(ms)
            ->UseRealTime();
    }
    argc -= 1;
    argv[1] = argv[0];
    benchmark::Initialize(&argc, argv + 1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
