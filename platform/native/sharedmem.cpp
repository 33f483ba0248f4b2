// Named shared memory stand-in: each object is an anonymous memory file of the process, known
// by name in a process-wide registry, so every module loaded into the panel host sees the
// same bytes under the same name. Each view is a mapping of its own of that file, so a view
// used after it was unmapped faults instead of silently reading on. Objects are never
// destroyed (the modules never close their handles), so their contents outlive every view.
#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "sharedmem_control.h"
#include "win_sharedmem.h"

namespace {

constexpr DWORD ERROR_INVALID_ADDRESS = 487;
constexpr uint64_t allocationGranularity = 65536;  // where Windows lets a view start

struct MappingObject {
    MappingObject(int fd, uint64_t size, DWORD protect) : fd(fd), size(size), protect(protect) {}
    MappingObject(const MappingObject&) = delete;
    MappingObject& operator=(const MappingObject&) = delete;
    ~MappingObject() { close(fd); }

    int fd;
    uint64_t size;
    DWORD protect;
    int views = 0;
};

struct View {
    std::shared_ptr<MappingObject> object;
    size_t length;
};

struct Registry {
    std::mutex lock;
    std::map<std::string, std::shared_ptr<MappingObject>> names;
    std::map<uintptr_t, std::shared_ptr<MappingObject>> handles;
    std::map<uintptr_t, View> views;
    uintptr_t nextHandle = 0x100;
    DWORD createFault = 0;
    DWORD viewFault = 0;
};

Registry& registry() {
    static Registry r;
    return r;
}

HANDLE newHandle(Registry& r, std::shared_ptr<MappingObject> object) {
    uintptr_t h = r.nextHandle;
    r.nextHandle += 4;
    r.handles.emplace(h, std::move(object));
    return reinterpret_cast<HANDLE>(h);
}

HANDLE fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

}  // namespace

extern "C" {

HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.createFault) return fail(r.createFault);
    if (file != INVALID_HANDLE_VALUE) return fail(ERROR_INVALID_HANDLE);
    if (protect != PAGE_READWRITE && protect != PAGE_READONLY) return fail(ERROR_INVALID_PARAMETER);
    if (name) {
        auto found = r.names.find(name);
        if (found != r.names.end()) {
            HANDLE h = newHandle(r, found->second);
            SetLastError(ERROR_ALREADY_EXISTS);
            return h;
        }
    }
    uint64_t size = (uint64_t(maximumSizeHigh) << 32) | maximumSizeLow;
    if (size == 0) return fail(ERROR_INVALID_PARAMETER);
    int fd = memfd_create(name ? name : "anonymous", MFD_CLOEXEC);
    if (fd < 0) return fail(ERROR_NOT_ENOUGH_MEMORY);
    if (ftruncate(fd, off_t(size)) != 0) {  // the new file reads as zeros
        close(fd);
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    auto object = std::make_shared<MappingObject>(fd, size, protect);
    if (name) r.names.emplace(name, object);
    HANDLE h = newHandle(r, std::move(object));
    SetLastError(0);
    return h;
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.viewFault) return fail(r.viewFault);
    auto found = r.handles.find(reinterpret_cast<uintptr_t>(mapping));
    if (found == r.handles.end()) return fail(ERROR_INVALID_HANDLE);
    const std::shared_ptr<MappingObject>& object = found->second;
    bool write = (desiredAccess & FILE_MAP_WRITE) != 0;
    if (write && object->protect != PAGE_READWRITE) return fail(ERROR_ACCESS_DENIED);
    uint64_t offset = (uint64_t(offsetHigh) << 32) | offsetLow;
    if (offset % allocationGranularity != 0) return fail(ERROR_MAPPED_ALIGNMENT);
    if (offset >= object->size) return fail(ERROR_ACCESS_DENIED);
    uint64_t length = bytes ? uint64_t(bytes) : object->size - offset;
    if (length > object->size - offset) return fail(ERROR_ACCESS_DENIED);
    void* at = mmap(nullptr, size_t(length), PROT_READ | (write ? PROT_WRITE : 0), MAP_SHARED, object->fd,
                    off_t(offset));
    if (at == MAP_FAILED) return fail(ERROR_NOT_ENOUGH_MEMORY);
    ++object->views;
    r.views.emplace(reinterpret_cast<uintptr_t>(at), View{object, size_t(length)});
    return at;
}

BOOL UnmapViewOfFile(LPCVOID baseAddress) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto found = r.views.find(reinterpret_cast<uintptr_t>(baseAddress));
    if (found == r.views.end()) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    munmap(const_cast<void*>(baseAddress), found->second.length);
    --found->second.object->views;
    r.views.erase(found);
    return TRUE;
}

void platformFailFileMappingCreation(DWORD error) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.createFault = error;
}

void platformFailFileMappingViews(DWORD error) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.viewFault = error;
}

int platformFileMappingViewCount(LPCSTR name) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto found = r.names.find(name);
    return found == r.names.end() ? -1 : found->second->views;
}

void platformResetFileMappings() {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.names.clear();
    r.handles.clear();
    r.createFault = 0;
    r.viewFault = 0;
}
}
