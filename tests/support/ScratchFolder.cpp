#include "support/ScratchFolder.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

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
    WriteBytes(Join(relative), content);
}

bool ScratchFolder::Exists(const std::wstring& relative) const {
    return GetFileAttributesW(Join(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(fs::path(path), std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    std::ofstream(fs::path(path), std::ios::binary) << bytes;
}

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), folder).wstring());
    std::sort(files.begin(), files.end());
    return files;
}
