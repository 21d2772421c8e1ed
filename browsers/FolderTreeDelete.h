#pragma once

// Deletes the folder name inside directory with everything below it, depth
// first: each folder is removed after its contents. Entries that cannot be
// deleted stay, and so do the folders above them. Links are deleted as links;
// the walk never enters them, so it never reaches outside the folder given.
void DeleteFolderTree(const wchar_t* directory, const wchar_t* name);
