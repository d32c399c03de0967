// The half of fbclient.dll for Wine that needs Windows: the module's entry point, and file names
// turned into Unix ones by Wine itself (drive mappings, letter case of existing folders).

#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "Forwarder.h"

// Wine names only what exists, up to the file itself: when a folder on the way is missing, the
// deepest folder that exists is named by Wine and the rest follows as it is, so that the engine
// reports the file missing, as it does on Windows.
static char* UnixNameOfWide(WCHAR* AName) {
  char* FromWine = wine_get_unix_file_name(AName);
  if (FromWine != NULL) {
    // Wine's buffer belongs to the process heap; the caller frees with free().
    char* Unix = strdup(FromWine);
    HeapFree(GetProcessHeap(), 0, FromWine);
    return Unix;
  }
  WCHAR* Separator = NULL;
  for (WCHAR* Char = AName; *Char != 0; ++Char) {
    if (*Char == '\\' || *Char == '/') {
      Separator = Char;
    }
  }
  if (Separator == NULL || Separator[1] == 0) {
    return NULL;
  }
  // Not for a name that Windows could not hold either: there the engine would fail to make it.
  for (const WCHAR* Char = Separator + 1; *Char != 0; ++Char) {
    if (*Char < 32 || (*Char < 128 && strchr("<>:\"|?*", (char)*Char) != NULL)) {
      return NULL;
    }
  }
  // "C:\x" goes on from "C:\", not from "C:", the current folder of drive C.
  WCHAR* Cut = (Separator == AName + 2 && AName[1] == ':') ? Separator + 1 : Separator;
  const WCHAR Kept = *Cut;
  *Cut = 0;
  char* Folder = UnixNameOfWide(AName);
  *Cut = Kept;
  if (Folder == NULL) {
    return NULL;
  }
  const int RestSize = WideCharToMultiByte(CP_UNIXCP, 0, Separator + 1, -1, NULL, 0, NULL, NULL);
  char* Unix = RestSize > 0 ? malloc(strlen(Folder) + 1 + (size_t)RestSize) : NULL;
  if (Unix != NULL) {
    strcpy(Unix, Folder);
    strcat(Unix, "/");
    WideCharToMultiByte(CP_UNIXCP, 0, Separator + 1, -1, Unix + strlen(Unix), RestSize, NULL,
                        NULL);
  }
  free(Folder);
  return Unix;
}

char* WineUnixFileName(const char* AName, int ALength) {
  const int WideLength = MultiByteToWideChar(CP_ACP, 0, AName, ALength, NULL, 0);
  if (WideLength <= 0) {
    return NULL;
  }
  WCHAR* Wide = calloc((size_t)WideLength + 1, sizeof(WCHAR));
  if (Wide == NULL) {
    return NULL;
  }
  MultiByteToWideChar(CP_ACP, 0, AName, ALength, Wide, WideLength);
  char* Unix = UnixNameOfWide(Wide);
  free(Wide);
  return Unix;
}

BOOL WINAPI DllMain(HINSTANCE AInstance, DWORD AReason, void* AReserved) {
  (void)AReserved;
  if (AReason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(AInstance);
    // No Linux library, no fbclient.dll: LoadLibrary fails as on a machine without a client.
    if (!WineFbclientOpen()) {
      return FALSE;
    }
    // Loaded for good, and the Linux library with it. Wine 8 cannot load an ELF builtin again
    // once it was unloaded (GetProcAddress then finds none of its exports), and the program
    // frees and loads its client library again and again.
    HMODULE Pinned = NULL;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       (LPCWSTR)AInstance, &Pinned);
  }
  return TRUE;
}
