// velmoshell: the editor's context-menu entries for the file managers, as a library with
// the two registration entry points. Registration writes the entries for the editor
// program that sits in the "bin" folder beside this library's folder; unregistration
// removes them again. Both return 0 on success and a negative number on failure.
#include "shell/ShellFiles.h"

#include <dlfcn.h>
#include <filesystem>

namespace {

std::string editorProgram()
{
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&editorProgram), &info) || !info.dli_fname)
        return {};
    std::error_code ec;
    std::filesystem::path lib = std::filesystem::absolute(info.dli_fname, ec);
    if (ec)
        return {};
    lib = std::filesystem::weakly_canonical(lib, ec);
    return (lib.parent_path().parent_path() / "bin" / "velmo").lexically_normal().string();
}

} // namespace

extern "C" __attribute__((visibility("default"))) long DllRegisterServer()
{
    const std::string program = editorProgram();
    if (program.empty())
        return -1;
    return shell::registerContextMenu(shell::Folders::fromEnvironment(), program);
}

extern "C" __attribute__((visibility("default"))) long DllUnregisterServer()
{
    return shell::unregisterContextMenu(shell::Folders::fromEnvironment());
}
