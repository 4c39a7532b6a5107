// The program started from a folder so deep that its own path does not fit
// in the 260 characters the log path is built in: a request there logs
// nowhere, while a path of 259 characters still logs beside the program.
#include <string.h>

#include <set>

#include "reliability_fixture.h"

const WCHAR kLongPrefix[] = L"\\\\?\\";
const size_t kExeNameLength = 12;  // "\quendle.exe"
const size_t kFolderNameLength = 50;

// Creates folders under the base until the folder's path, with the
// program's name after it, is exactly that long. Returns the deepest folder.
static std::wstring CreateDeepFolder(const std::wstring &base, size_t exePathLength)
{
    std::wstring folder = base;
    while (folder.size() + kExeNameLength < exePathLength) {
        size_t left = exePathLength - kExeNameLength - folder.size() - 1;
        folder += L"\\" + std::wstring(left < kFolderNameLength ? left : kFolderNameLength, L'd');
        if (!CreateDirectoryW((kLongPrefix + folder).c_str(), nullptr)) {
            return std::wstring();
        }
    }
    return folder;
}

// The files under the folder, each as its path below it.
static void ListFiles(const std::wstring &folder, const std::wstring &below,
                      std::set<std::wstring> *files)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((kLongPrefix + folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files->insert(below + name);
        } else if (name != L"." && name != L"..") {
            ListFiles(folder + L"\\" + name, below + name + L"\\", files);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

static void RemoveTree(const std::wstring &folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((kLongPrefix + folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            std::wstring path = folder + L"\\" + name;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW((kLongPrefix + path).c_str());
            } else if (name != L"." && name != L"..") {
                RemoveTree(path);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW((kLongPrefix + folder).c_str());
}

// Wine starts a program from a folder of more than 259 characters only by
// its name relative to the starter's current folder, and cannot give the
// program such a folder as its own current one; the base serves for that.
static bool StartFromFolder(const std::wstring &folder, const std::wstring &workingFolder,
                            Instance *instance)
{
    WCHAR previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    if (!SetCurrentDirectoryW(folder.c_str())) {
        return false;
    }
    WCHAR commandLine[] = L"quendle.exe";
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    BOOL started = CreateProcessW(L"quendle.exe", commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                                  workingFolder.c_str(), &startup, &info);
    DWORD error = GetLastError();
    SetCurrentDirectoryW(previous);
    SetLastError(error);
    if (!started) {
        return false;
    }
    CloseHandle(info.hThread);
    instance->process = info.hProcess;
    instance->processId = info.dwProcessId;
    return true;
}

static std::wstring ImagePath(HANDLE process)
{
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process, 0, &path[0], &size)) {
        return std::wstring();
    }
    path.resize(size);
    return path;
}

static std::string Narrow(const std::wstring &text)
{
    return std::string(text.begin(), text.end());
}

TEST_F(ReliabilityRun, ProgramWhosePathDoesNotFitLogsNowhere)
{
    // Columns: length of the program's full path; whether a request logs.
    const struct {
        size_t exePathLength;
        bool logs;
    } cases[] = {
        {259, true},
        {260, false},
        {300, false},
    };
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << ", path of "
                                        << cases[i].exePathLength << " characters");
        WCHAR base[MAX_PATH];
        wsprintfW(base, L"%squendle-path-%lu-%lu-%u", temp, GetCurrentProcessId(), GetTickCount(),
                  static_cast<unsigned>(i));
        ASSERT_TRUE(CreateDirectoryW(base, nullptr));
        std::wstring folder = CreateDeepFolder(base, cases[i].exePathLength);
        ASSERT_FALSE(folder.empty()) << "cannot create the folders, error " << GetLastError();
        ASSERT_TRUE(CopyProgramInto(kLongPrefix + folder));
        ASSERT_TRUE(StartFromFolder(folder, base, &instance_))
            << "cannot start the program, error " << GetLastError();
        std::wstring exePath = folder + L"\\quendle.exe";
        EXPECT_EQ(exePath.size(), cases[i].exePathLength);
        EXPECT_EQ(Narrow(ImagePath(instance_.process)), Narrow(exePath));
        dialog_ = WaitForDialog(instance_, kPromptMs);
        ASSERT_NE(dialog_, nullptr) << "no dialog appeared";
        ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
        ASSERT_TRUE(WriteAndWait(L"P00000", ReadResult(L"P00000")));
        EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
        CloseAndExpectExit();
        EndInstance(&instance_);

        // Nothing anywhere under the base but the program, the controller
        // library, the stored serial number and, where it fits, the log.
        std::wstring deep = folder.substr(wcslen(base) + 1) + L"\\";
        std::set<std::wstring> expected = {deep + L"quendle.exe", deep + L"QuarnPubIf.dll",
                                           deep + L"controller-sim.state"};
        if (cases[i].logs) {
            expected.insert(deep + L"quendle.log");
            EXPECT_TRUE(LogMatches(ReadFileBytes(kLongPrefix + folder + L"\\quendle.log"),
                                   StampedLine("Write=\"P00000\", Read=\"P00000\"")));
        }
        std::set<std::wstring> files;
        ListFiles(base, L"", &files);
        for (const std::wstring &file : files) {
            EXPECT_EQ(expected.count(file), 1u) << "unexpected file " << Narrow(file);
        }
        for (const std::wstring &file : expected) {
            EXPECT_EQ(files.count(file), 1u) << "missing file " << Narrow(file);
        }
        RemoveTree(base);
    }
}
