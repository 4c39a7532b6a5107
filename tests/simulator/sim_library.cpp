#include "sim_library.h"

#include <stdio.h>
#include <string.h>

#include <sstream>

// CMake gives the host's path; under Wine a path from the host's root is on
// drive Z:.
static std::wstring BuiltDllPath()
{
    std::wstring path = SIM_DLL_PATH;
    return path[0] == L'/' ? L"Z:" + path : path;
}

bool CreateSimFolder(SimLibrary *sim)
{
    wchar_t temp[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, temp) == 0) {
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[64];
        wsprintfW(name, L"quendle-sim-%lu-%d\\", GetCurrentProcessId(), attempt);
        sim->folder = std::wstring(temp) + name;
        if (CreateDirectoryW(sim->folder.c_str(), nullptr)) {
            std::wstring copy = sim->folder + L"QuarnPubIf.dll";
            return CopyFileW(BuiltDllPath().c_str(), copy.c_str(), TRUE) != 0;
        }
    }
    return false;
}

void DeleteSimFolder(SimLibrary *sim)
{
    UnloadSim(sim);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((sim->folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring path = sim->folder + found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW(path.c_str());
            } else if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0) {
                RemoveDirectoryW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(sim->folder.c_str());
}

template <typename Proc>
static bool Find(HMODULE module, const char *name, Proc *proc)
{
    *proc = reinterpret_cast<Proc>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    return *proc != nullptr;
}

bool LoadSim(SimLibrary *sim)
{
    sim->module = LoadLibraryW((sim->folder + L"QuarnPubIf.dll").c_str());
    return sim->module != nullptr &&
           Find(sim->module, "QuarnAcquireCadrelLock", &sim->acquireLock) &&
           Find(sim->module, "QuarnSendCadrelCommand", &sim->sendCommand) &&
           Find(sim->module, "QuarnGetCadrelResponseStatus", &sim->getStatus) &&
           Find(sim->module, "QuarnGetCadrelResponse", &sim->getResponse) &&
           Find(sim->module, "QuarnReleaseCadrelLock", &sim->releaseLock) &&
           Find(sim->module, "QuarnGetScreenInfo", &sim->getScreenInfo);
}

void UnloadSim(SimLibrary *sim)
{
    if (sim->module != nullptr) {
        FreeLibrary(sim->module);
        sim->module = nullptr;
    }
}

void WriteSimFile(const SimLibrary &sim, const wchar_t *name, const std::string &contents)
{
    HANDLE file = CreateFileW((sim.folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadSimFile(const SimLibrary &sim, const wchar_t *name)
{
    HANDLE file = CreateFileW((sim.folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string contents;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        contents.append(buffer, got);
    }
    CloseHandle(file);
    return contents;
}

static std::string PacketText(const BYTE *packet)
{
    int end = 8;
    while (end > 0 && packet[end - 1] == 0) {
        --end;
    }
    std::string text;
    for (int i = 0; i < end; ++i) {
        if (packet[i] == 0) {
            text += '.';
        } else if (packet[i] > ' ' && packet[i] < 0x7F) {
            text += static_cast<char>(packet[i]);
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", packet[i]);
            text += hex;
        }
    }
    return text;
}

// One status call and its fetches; returns the lead byte fetched last.
static BYTE Poll(const SimLibrary &sim, std::string *trace)
{
    QuarnResponseStatusRecord status;
    memset(&status, 0, sizeof status);
    int code = sim.getStatus(&status);
    *trace += " Q" + std::to_string(code) + ":" + std::to_string(status.waitingCount);
    BYTE lastLead = 0;
    for (int i = 0; i < status.waitingCount && i < 20; ++i) {
        QuarnResponseRecord response;
        memset(&response, 0, sizeof response);
        code = sim.getResponse(&response);
        *trace += " F" + std::to_string(code) + ":" + PacketText(response.packet);
        lastLead = response.packet[0];
    }
    return lastLead;
}

static void Exchange(const SimLibrary &sim, const std::string &step, std::string *trace)
{
    QuarnCommandRecord command;
    memset(&command, 0, sizeof command);
    memcpy(command.packet, step.data(), 2);
    if (step.size() > 3 && step[2] == ':') {
        memcpy(command.packet + 2, step.data() + 3, step.size() - 3 < 6 ? step.size() - 3 : 6);
    }
    *trace += "L" + std::to_string(sim.acquireLock(0, 1));
    int code = sim.sendCommand(&command);
    *trace += " C" + std::to_string(code);
    for (int poll = 0; code == 0 && poll < 3; ++poll) {
        if (Poll(sim, trace) == 'A') {
            break;
        }
    }
    *trace += " R" + std::to_string(sim.releaseLock(0));
}

std::string RunSteps(const SimLibrary &sim, const char *steps)
{
    std::istringstream words(steps);
    std::string step;
    std::string trace;
    while (words >> step) {
        if (!trace.empty()) {
            trace += " | ";
        }
        if (step == "screen") {
            BYTE info[kScreenInfoSize];
            memset(info, 0, sizeof info);
            int count = 0;
            int code = sim.getScreenInfo(info, &count);
            trace += "S" + std::to_string(code) + "/" + std::to_string(count);
        } else if (step == "poll") {
            std::string polled;
            Poll(sim, &polled);
            trace += polled.substr(1);
        } else {
            Exchange(sim, step, &trace);
        }
    }
    return trace;
}
