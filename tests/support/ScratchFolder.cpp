#include "support/ScratchFolder.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

static void MakeWritable(const fs::path& root) {
    std::error_code error;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
    if (!fs::is_directory(root, error) || fs::is_symlink(root, error)) return;
    for (const auto& entry : fs::recursive_directory_iterator(root, error))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
}

ScratchFolder::ScratchFolder() {
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    for (unsigned attempt = GetTickCount();; ++attempt) {
        path = std::wstring(current) + L"\\scratch-" + std::to_wstring(attempt);
        if (CreateDirectoryW(path.c_str(), nullptr)) break;
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    MakeWritable(path);
    fs::remove_all(path, error);
}

std::wstring ScratchFolder::RootedPath() const {
    return path.size() > 1 && path[1] == L':' ? path.substr(2) : path;
}

std::wstring ScratchFolder::Join(const std::wstring& relative) const {
    return path + L"\\" + relative;
}

void ScratchFolder::MakeFolder(const std::wstring& relative) const {
    std::error_code error;
    fs::create_directories(Join(relative), error);
}

void ScratchFolder::MakeFile(const std::wstring& relative, const std::string& content) const {
    std::ofstream(fs::path(Join(relative)), std::ios::binary) << content;
}

bool ScratchFolder::Exists(const std::wstring& relative) const {
    return GetFileAttributesW(Join(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}
