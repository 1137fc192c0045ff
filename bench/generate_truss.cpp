// Writes large, valid plane-truss project files (.sma) so that reading and solving can be timed.
//
//   generate_truss lattice N OUT.sma          N x N joints at 1000 mm, one diagonal per square
//   generate_truss girder PANELS OUT.sma      Pratt girder, 2000 mm panels, 2000 mm deep
//   generate_truss lattice-joints J OUT.sma   lattice with N = round(sqrt(J))

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Project files must be byte-exact CR LF text. A single big buffer with to_chars keeps a
// million-joint file to a few seconds, which iostream formatting per number cannot do.
class ProjectWriter {
public:
    explicit ProjectWriter(std::FILE* file) : file_(file), buffer_(kCapacity) {}

    // The blank stands where a minus sign would go, so the columns of a file line up.
    void Field(std::int64_t value) {
        Reserve(32);
        if (value >= 0) buffer_[used_++] = ' ';
        auto [end, ec] = std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), value);
        used_ = static_cast<std::size_t>(end - buffer_.data());
        buffer_[used_++] = ' ';
        buffer_[used_++] = ',';
    }

    // The quoted text that closes every record line.
    void TextEnd(std::string_view text) {
        Reserve(text.size() + 4);
        buffer_[used_++] = '"';
        std::memcpy(buffer_.data() + used_, text.data(), text.size());
        used_ += text.size();
        buffer_[used_++] = '"';
        EndLine();
    }

    // Count lines carry bare digits, without the blank a field has.
    void Count(std::int64_t value) {
        Reserve(24);
        auto [end, ec] = std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), value);
        used_ = static_cast<std::size_t>(end - buffer_.data());
        EndLine();
    }

    bool Finish() {
        Flush();
        return ok_;
    }

private:
    static constexpr std::size_t kCapacity = std::size_t{8} << 20;

    void EndLine() {
        buffer_[used_++] = '\r';
        buffer_[used_++] = '\n';
    }

    void Reserve(std::size_t bytes) {
        if (used_ + bytes + 2 > buffer_.size()) {
            Flush();
            if (bytes + 2 > buffer_.size()) buffer_.resize(bytes + 2);
        }
    }

    void Flush() {
        if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_) ok_ = false;
        used_ = 0;
    }

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

void WriteTitleBlock(ProjectWriter& out, const std::string& title, const std::string& drawing) {
    out.TextEnd("Varlen benchmark");
    out.TextEnd(title);
    out.TextEnd("generate_truss");
    // A fixed date keeps repeated runs byte-identical, so timings compare like with like.
    out.TextEnd("01/01/2026");
    out.TextEnd(drawing);
}

void WriteMaterialAndSection(ProjectWriter& out) {
    out.Count(1);
    out.Field(205);
    out.TextEnd("Steel");
    out.Count(1);
    out.Field(1000);
    // A radius of gyration in braces, as the catalogue writes it, lets the design check every member
    // rather than refuse the section.
    out.TextEnd("A1000 (1000){20.0}");
}

void WriteMember(ProjectWriter& out, std::int64_t first, std::int64_t second) {
    out.Field(first);
    out.Field(second);
    out.Field(1);
    out.Field(1);
    out.TextEnd("");
}

void WriteLattice(ProjectWriter& out, std::int64_t n) {
    const std::string size = std::to_string(n);
    WriteTitleBlock(out, "Benchmark lattice " + size + " x " + size, "BENCH/LAT/" + size);

    // Row-major numbering from the bottom row keeps neighbouring joints close in number, the
    // layout a real model of this shape would have.
    auto joint = [n](std::int64_t column, std::int64_t row) { return row * n + column + 1; };
    const std::int64_t jointCount = n * n;

    out.Count(jointCount);
    for (std::int64_t row = 0; row < n; ++row) {
        for (std::int64_t column = 0; column < n; ++column) {
            out.Field(column * 1000);
            out.Field(row * 1000);
            out.TextEnd("");
        }
    }

    out.Count(jointCount);
    for (std::int64_t number = 1; number <= jointCount; ++number) {
        const std::int64_t fixed = number <= n ? 1 : 0;
        out.Field(number);
        out.Field(fixed);
        out.Field(fixed);
        out.TextEnd("");
    }

    WriteMaterialAndSection(out);

    const std::int64_t memberCount = 2 * n * (n - 1) + (n - 1) * (n - 1);
    out.Count(memberCount);
    for (std::int64_t row = 0; row < n; ++row) {
        for (std::int64_t column = 0; column < n; ++column) {
            const std::int64_t here = joint(column, row);
            if (column + 1 < n) WriteMember(out, here, joint(column + 1, row));
            if (row + 1 < n) WriteMember(out, here, joint(column, row + 1));
            if (column + 1 < n && row + 1 < n) WriteMember(out, here, joint(column + 1, row + 1));
        }
    }

    out.Count(n);
    for (std::int64_t column = 0; column < n; ++column) {
        out.Field(joint(column, n - 1));
        out.Field(1);
        out.Field(-10);
        out.TextEnd("");
    }
}

void WriteGirder(ProjectWriter& out, std::int64_t panels) {
    const std::string size = std::to_string(panels);
    WriteTitleBlock(out, "Benchmark girder " + size + " panels", "BENCH/GIR/" + size);

    // Bottom and top joints alternate so that every bar links joints at most three numbers apart.
    auto bottom = [](std::int64_t k) { return 2 * k + 1; };
    auto top = [](std::int64_t k) { return 2 * k + 2; };
    const std::int64_t jointCount = 2 * (panels + 1);

    out.Count(jointCount);
    for (std::int64_t k = 0; k <= panels; ++k) {
        out.Field(k * 2000);
        out.Field(0);
        out.TextEnd("");
        out.Field(k * 2000);
        out.Field(2000);
        out.TextEnd("");
    }

    out.Count(jointCount);
    for (std::int64_t number = 1; number <= jointCount; ++number) {
        const bool pinned = number == bottom(0);
        const bool roller = number == bottom(panels);
        out.Field(number);
        out.Field(pinned ? 1 : 0);
        out.Field(pinned || roller ? 1 : 0);
        out.TextEnd("");
    }

    WriteMaterialAndSection(out);

    out.Count(4 * panels + 1);
    for (std::int64_t k = 0; k <= panels; ++k) {
        WriteMember(out, bottom(k), top(k));
        if (k == panels) break;
        WriteMember(out, bottom(k), bottom(k + 1));
        WriteMember(out, top(k), top(k + 1));
        // Pratt layout: diagonals fall towards mid-span, so under gravity they are all in tension.
        if (2 * k < panels) {
            WriteMember(out, top(k), bottom(k + 1));
        } else {
            WriteMember(out, top(k + 1), bottom(k));
        }
    }

    out.Count(panels + 2);
    for (std::int64_t k = 0; k <= panels; ++k) {
        out.Field(bottom(k));
        out.Field(0);
        out.Field(-20);
        out.TextEnd("");
    }
    // A small sway load so that the X direction carries something too.
    out.Field(top(panels));
    out.Field(1);
    out.Field(0);
    out.TextEnd("");
}

bool ParseCount(std::string_view text, std::int64_t& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

int Usage() {
    std::fputs("usage: generate_truss lattice N OUT.sma\n"
               "       generate_truss girder PANELS OUT.sma\n"
               "       generate_truss lattice-joints J OUT.sma\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Usage();
    const std::string_view kind = argv[1];
    std::int64_t size = 0;
    if (!ParseCount(argv[2], size)) return Usage();

    // Joint numbers must stay well inside 32 bits, whatever the reader stores them in.
    constexpr std::int64_t kMaxLatticeSide = 40000;
    constexpr std::int64_t kMaxPanels = 500'000'000;
    bool lattice = false;
    if (kind == "lattice" || kind == "lattice-joints") {
        lattice = true;
        if (kind == "lattice-joints") {
            if (size < 1) return Usage();
            size = static_cast<std::int64_t>(std::llround(std::sqrt(static_cast<double>(size))));
        }
        if (size < 2 || size > kMaxLatticeSide) {
            std::fprintf(stderr, "generate_truss: lattice side must be 2..%lld\n",
                         static_cast<long long>(kMaxLatticeSide));
            return 1;
        }
    } else if (kind == "girder") {
        if (size < 1 || size > kMaxPanels) {
            std::fprintf(stderr, "generate_truss: panels must be 1..%lld\n",
                         static_cast<long long>(kMaxPanels));
            return 1;
        }
    } else {
        return Usage();
    }

    std::FILE* file = std::fopen(argv[3], "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "generate_truss: cannot create %s: %s\n", argv[3], std::strerror(errno));
        return 1;
    }
    ProjectWriter out(file);
    if (lattice) {
        WriteLattice(out, size);
    } else {
        WriteGirder(out, size);
    }
    const bool written = out.Finish();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "generate_truss: error writing %s\n", argv[3]);
        return 1;
    }
    return 0;
}
