// Reads each built .gau file's resource section and checks that it carries exactly the
// resources its resource script lists, by type and id, with the bytes of the committed
// files (bitmaps without their 14-byte file header, as Windows stores them).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    if (at + 4 > b.size()) throw std::runtime_error("read past the end");
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
    if (at + 2 > b.size()) throw std::runtime_error("read past the end");
    uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

struct Key {
    std::string type;  // "BITMAP" or a named type
    uint32_t id;
    bool operator<(const Key& o) const { return type != o.type ? type < o.type : id < o.id; }
};

// type -> id -> bytes, from the PE resource directory (three levels: type, name, language).
std::map<Key, std::vector<uint8_t>> peResources(const std::vector<uint8_t>& pe) {
    uint32_t header = u32(pe, 0x3C);
    uint16_t sections = u16(pe, header + 6);
    uint16_t optionalSize = u16(pe, header + 20);
    size_t optional = header + 24;
    uint32_t rsrcRva = u32(pe, optional + 96 + 2 * 8);
    size_t table = optional + optionalSize;
    auto fileOffset = [&](uint32_t rva) -> size_t {
        for (uint16_t i = 0; i < sections; ++i) {
            size_t s = table + i * 40;
            uint32_t va = u32(pe, s + 12), size = u32(pe, s + 8), raw = u32(pe, s + 20);
            if (rva >= va && rva < va + size) return raw + (rva - va);
        }
        throw std::runtime_error("address outside every section");
    };
    std::map<Key, std::vector<uint8_t>> found;
    if (!rsrcRva) return found;
    size_t base = fileOffset(rsrcRva);
    auto entries = [&](size_t dir) {
        std::vector<std::pair<uint32_t, uint32_t>> list;
        uint16_t count = u16(pe, dir + 12) + u16(pe, dir + 14);
        for (uint16_t i = 0; i < count; ++i) list.push_back({u32(pe, dir + 16 + i * 8), u32(pe, dir + 20 + i * 8)});
        return list;
    };
    for (auto [typeName, typeDir] : entries(base)) {
        std::string type;
        if (typeName & 0x80000000u) {
            size_t at = base + (typeName & 0x7FFFFFFFu);
            for (uint16_t k = 0, n = u16(pe, at); k < n; ++k) type += char(u16(pe, at + 2 + 2 * k));
        } else {
            type = typeName == 2 ? "BITMAP" : "type " + std::to_string(typeName);
        }
        for (auto [name, nameDir] : entries(base + (typeDir & 0x7FFFFFFFu)))
            for (auto [language, dataEntry] : entries(base + (nameDir & 0x7FFFFFFFu))) {
                (void)language;
                size_t entry = base + dataEntry;
                size_t at = fileOffset(u32(pe, entry));
                uint32_t size = u32(pe, entry + 4);
                if (at + size > pe.size()) throw std::runtime_error("resource past the end of the file");
                found[{type, name}] = std::vector<uint8_t>(pe.begin() + long(at), pe.begin() + long(at + size));
            }
    }
    return found;
}

std::map<Key, std::vector<uint8_t>> scriptResources(const std::string& script) {
    std::map<Key, std::vector<uint8_t>> listed;
    std::ifstream in(script);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string id, type, file;
        if (!(words >> id >> type >> file) || (type != "BITMAP" && type != "WAVE")) continue;
        std::vector<uint8_t> bytes = readFile(PROJECT_DIR "/" + file.substr(1, file.size() - 2));
        if (type == "BITMAP" && bytes.size() >= 14) bytes.erase(bytes.begin(), bytes.begin() + 14);
        listed[{type, uint32_t(std::stoul(id))}] = bytes;
    }
    return listed;
}

struct Case {
    const char* module;
    const char* script;
};

class GauResources : public ::testing::TestWithParam<Case> {};

TEST_P(GauResources, CarryExactlyTheScriptsResources) {
    const Case& c = GetParam();
    std::vector<uint8_t> pe = readFile(std::string(DIST_DIR "/") + c.module + ".gau");
    if (pe.empty()) GTEST_SKIP() << c.module << ".gau is not built";
    auto listed = scriptResources(std::string(PROJECT_DIR "/") + c.script);
    ASSERT_FALSE(listed.empty()) << "no resources read from " << c.script;
    auto carried = peResources(pe);
    EXPECT_EQ(carried.size(), listed.size());
    for (auto& [key, bytes] : listed) {
        auto it = carried.find(key);
        ASSERT_NE(it, carried.end()) << c.module << " lacks " << key.type << " " << key.id;
        EXPECT_EQ(it->second, bytes) << c.module << " " << key.type << " " << key.id << " differs from its file";
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, GauResources,
                         ::testing::Values(Case{"altimeter_pair", "altimeter/altimeter_pair.rc"},
                                           Case{"engine_set", "engines/engine_set.rc"},
                                           Case{"cowl_flaps", "cowlflaps/cowl_flaps.rc"},
                                           Case{"fo_overhead", "overhead/fo_overhead.rc"},
                                           Case{"captain_overhead", "overhead/captain_overhead.rc"}),
                         [](const auto& info) { return std::string(info.param.module); });

}  // namespace
