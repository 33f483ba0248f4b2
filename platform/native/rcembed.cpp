// Build tool of the native build: turns a module's resource script into a C++ source holding
// the same resources as a NativeResourceTable, so both builds carry their resources from one
// script. Understands the lines the modules use:  <id> BITMAP "<file>"  and  <id> WAVE "<file>",
// with file names relative to the project directory; comments and other lines are skipped.
// Bitmaps lose their 14-byte file header, as the Windows resource compiler stores them.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {
struct Entry {
    unsigned id;
    std::string type;
    std::vector<unsigned char> bytes;
};

bool readFile(const std::string& path, std::vector<unsigned char>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: rcembed SCRIPT.rc PROJECT_DIR OUTPUT.cpp\n";
        return 2;
    }
    std::ifstream script(argv[1]);
    if (!script) {
        std::cerr << "rcembed: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::vector<Entry> entries;
    std::string line;
    int lineNumber = 0;
    while (std::getline(script, line)) {
        ++lineNumber;
        std::istringstream words(line);
        std::string idText, type, quoted;
        if (!(words >> idText) || idText.rfind("//", 0) == 0 || idText[0] == '#') continue;
        if (!(words >> type >> quoted) || quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') continue;
        if (type != "BITMAP" && type != "WAVE") continue;
        Entry e;
        e.id = unsigned(std::stoul(idText));
        e.type = type;
        std::string path = std::string(argv[2]) + "/" + quoted.substr(1, quoted.size() - 2);
        if (!readFile(path, e.bytes)) {
            std::cerr << argv[1] << ":" << lineNumber << ": cannot read " << path << "\n";
            return 1;
        }
        if (type == "BITMAP") {
            if (e.bytes.size() < 14 || e.bytes[0] != 'B' || e.bytes[1] != 'M') {
                std::cerr << argv[1] << ":" << lineNumber << ": not a bitmap file: " << path << "\n";
                return 1;
            }
            e.bytes.erase(e.bytes.begin(), e.bytes.begin() + 14);
        }
        entries.push_back(std::move(e));
    }
    std::ostringstream out;
    out << "// Generated from " << argv[1] << " by rcembed; do not edit.\n"
        << "#include \"resource_table.h\"\n\nnamespace {\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        out << "alignas(4) const unsigned char resource" << i << "[] = {";
        for (size_t k = 0; k < entries[i].bytes.size(); ++k) {
            if (k % 24 == 0) out << "\n";
            out << unsigned(entries[i].bytes[k]) << ",";
        }
        out << "};\n";
    }
    out << "const NativeResource entries[] = {\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        bool bitmap = entries[i].type == "BITMAP";
        out << "    {" << entries[i].id << ", " << (bitmap ? 2 : 0) << ", "
            << (bitmap ? "nullptr" : "\"WAVE\"") << ", resource" << i << ", " << entries[i].bytes.size() << "},\n";
    }
    if (entries.empty()) out << "    {0, 0, nullptr, nullptr, 0},\n";
    out << "};\n}  // namespace\n\nextern const NativeResourceTable moduleResourceTable;\n"
        << "constinit const NativeResourceTable moduleResourceTable = {entries, " << entries.size() << "};\n";
    std::ofstream file(argv[3], std::ios::binary);
    file << out.str();
    return file ? 0 : 1;
}
