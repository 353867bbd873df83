// Micro-benchmarks of the two inner loops of a conversion: the token reader
// over an export, and the Name look-up along a target's include folders.
//   tessbench_micro [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/project_converter.h"
#include "cwproject/path_rules.h"
#include "output/group_node.h"
#include "xml/xml_reader.h"

namespace {

using namespace tessaly;

// An export of `references` file references in groups of 50, with CR LF
// line ends, written once to a temporary file that stays in the page cache.
class ExportFile {
  public:
    explicit ExportFile(int references) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tessbench_" + std::to_string(::getpid()) + "_" + std::to_string(references) +
                  ".mcp.xml"))
                    .string();
        std::ofstream out(path_, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
               "<!DOCTYPE PROJECT [\r\n<!ELEMENT PROJECT (TARGETLIST, TARGETORDER, GROUPLIST)>\r\n"
               "]>\r\n<PROJECT>\r\n\t<TARGETLIST>\r\n\t\t<TARGET>\r\n\t\t\t<NAME>T</NAME>\r\n"
               "\t\t\t<SETTINGLIST>\r\n"
               "\t\t\t\t<SETTING><NAME>Dummy</NAME><VALUE>1</VALUE></SETTING>\r\n"
               "\t\t\t</SETTINGLIST>\r\n\t\t</TARGET>\r\n\t</TARGETLIST>\r\n"
               "\t<TARGETORDER>\r\n\t\t<ORDEREDTARGET><NAME>T</NAME></ORDEREDTARGET>\r\n"
               "\t</TARGETORDER>\r\n\t<GROUPLIST>\r\n";
        for (int i = 0; i < references; ++i) {
            if (i % 50 == 0) {
                out << (i > 0 ? "\t\t</GROUP>\r\n" : "") << "\t\t<GROUP><NAME>Group " << i / 50
                    << " &amp; more</NAME>\r\n";
            }
            out << "\t\t\t<FILEREF><TARGETNAME>T</TARGETNAME><PATHTYPE>PathRelative</PATHTYPE>"
                   "<PATHROOT>Project</PATHROOT><ACCESSPATH>src/m_000/g_000</ACCESSPATH><PATH>f_"
                << i << ".c</PATH><PATHFORMAT>Unix</PATHFORMAT></FILEREF>\r\n";
        }
        out << (references > 0 ? "\t\t</GROUP>\r\n" : "") << "\t</GROUPLIST>\r\n</PROJECT>\r\n";
        out.close();
        bytes_ = std::filesystem::file_size(path_);
    }
    ~ExportFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }
    std::int64_t bytes() const { return static_cast<std::int64_t>(bytes_); }

  private:
    std::string path_;
    std::uintmax_t bytes_ = 0;
};

const ExportFile& exportFile() {
    static const ExportFile file(40000);  // about 8 MB
    return file;
}

// Every token of the export, read through the reader's own skipping of an
// element's content: the tokenizer alone, no grammar.
void BM_Tokenizer(benchmark::State& state) {
    const ExportFile& file = exportFile();
    for (auto _ : state) {
        XmlReader reader;
        reader.open(systemPlatform().openForReading(file.path()));
        if (!reader.expectOpenTag("PROJECT") || !reader.skipElementContent("PROJECT")) {
            state.SkipWithError("the export did not tokenize to its end");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * file.bytes());
}
BENCHMARK(BM_Tokenizer)->Unit(benchmark::kMillisecond);

class NullConsole final : public Console {
  private:
    void writeLine(std::string_view) override {}
};

// A platform that answers every probe from memory: only `hit` exists.
class FakeDisk final : public Platform {
  public:
    std::string hit;
    long long probes = 0;

    PathStyle pathStyle() const override { return PathStyle::Posix; }
    std::optional<std::string> currentDirectory() override { return "/"; }
    bool changeDirectory(const std::string&) override { return true; }
    bool exists(const std::string& path) override {
        ++probes;
        return path == hit;
    }
    std::optional<FolderFacts> directoryFacts(const std::string&) override { return std::nullopt; }
    MakeDirectoryResult makeDirectory(const std::string&) override {
        return MakeDirectoryResult::Created;
    }
    bool listDirectory(const std::string&, std::vector<std::string>&) override { return false; }
    std::optional<FolderIdentity> folderIdentity(const std::string&) override {
        return std::nullopt;
    }
    bool isFileSystemRoot(const std::string&) override { return false; }
    std::string folderNameKey(const std::string& name) override { return name; }
    bool tellsLetterCaseApart() const override { return true; }
    std::size_t maxPathLength() const override { return 4095; }
    EntryKind entryKind(const std::string&) override { return EntryKind::Missing; }
    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        return systemPlatform().openForReading(path);
    }
    std::unique_ptr<InputFile> openRegularFile(const std::string&) override { return nullptr; }
    NewFile createNewFile(const std::string&, const std::string&) override { return NewFile{}; }
    bool replaceFile(const std::string&, const std::string&) override { return false; }
    bool syncFolderOf(const std::string&) override { return false; }
    bool removeFile(const std::string&) override { return false; }
    bool removeAbandonedFile(const std::string&) override { return false; }
    void holdFolder(const std::string&) override {}
    void releaseFolder() override {}
    std::optional<std::string> registryValue(const std::string&) override { return std::nullopt; }
};

// The whole parse (grammar, path rules, extension filter) over the same
// export, with a filter that accepts no file, so nothing is printed or kept.
void BM_ReadProject(benchmark::State& state) {
    const ExportFile& file = exportFile();
    FakeDisk disk;
    NullConsole console;
    for (auto _ : state) {
        ProjectConverter converter(file.path(), "/out", "/cw", disk, console);
        converter.addFileExtensions("none");
        converter.xmlReader.open(disk.openForReading(file.path()));
        if (!converter.readProject()) {
            state.SkipWithError("the export did not parse to its end");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * file.bytes());
}
BENCHMARK(BM_ReadProject)->Unit(benchmark::kMillisecond);

// findOnAccessPaths over a target with range(0) user and range(0) system
// include folders; the file lies in the folder at position range(1) of the
// whole search order, or nowhere when range(1) is -1. The disk is probed on
// every call: exactly one probe per folder tried, which the benchmark checks.
void BM_FindOnAccessPaths(benchmark::State& state) {
    const int perList = static_cast<int>(state.range(0));
    const int position = static_cast<int>(state.range(1));
    FakeDisk disk;
    PathRules rules(disk, "/work/project/bench.mcp.xml", "/cw");
    GroupNode root("root");
    GroupNode& target = root.addChild(std::make_unique<GroupNode>("Target 00"));
    for (int i = 0; i < perList; ++i) {
        target.userIncludePaths.push_back("/work/project//include/sub_" + std::to_string(i));
        target.systemIncludePaths.push_back("/cw//Libraries/lib_" + std::to_string(i) + "/inc");
    }
    const std::string fileName = "header.h";
    if (position >= 0) {
        const auto& list = position < perList ? target.userIncludePaths : target.systemIncludePaths;
        disk.hit = list[position % perList] + "/" + fileName;
    }
    const long long expected = position >= 0 ? position + 1 : 2LL * perList;
    for (auto _ : state) {
        const long long before = disk.probes;
        std::string found = rules.findOnAccessPaths("Target 00", fileName, root);
        benchmark::DoNotOptimize(found);
        if (disk.probes - before != expected || found != disk.hit) {
            state.SkipWithError("the look-up did not probe once per folder tried");
            break;
        }
    }
    state.counters["probes_per_call"] = benchmark::Counter(static_cast<double>(disk.probes) /
                                                           static_cast<double>(state.iterations()));
    state.counters["probe_rate"] =
        benchmark::Counter(static_cast<double>(disk.probes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FindOnAccessPaths)
    ->Args({5, 0})
    ->Args({5, 9})
    ->Args({250, 0})
    ->Args({250, 249})
    ->Args({250, 499})
    ->Args({250, -1});

}  // namespace

BENCHMARK_MAIN();
