#include "support/ScratchFolder.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    for (unsigned attempt = GetTickCount();; ++attempt) {
        path = std::wstring(current) + L"\\scratch-" + std::to_wstring(attempt);
        if (CreateDirectoryW(path.c_str(), nullptr)) break;
    }
}

// Read-only entries left by a test must not keep the folder alive.
ScratchFolder::~ScratchFolder() {
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(path, error))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path, error);
}

void ScratchFolder::MakeFolder(const std::wstring& relative) const {
    std::error_code error;
    fs::create_directories(Join(relative), error);
}

void ScratchFolder::MakeFile(const std::wstring& relative, const std::string& content) const {
    fs::path file(Join(relative));
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    std::ofstream(file, std::ios::binary) << content;
}

bool ScratchFolder::Exists(const std::wstring& relative) const {
    return GetFileAttributesW(Join(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}
