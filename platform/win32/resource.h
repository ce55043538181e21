// Executable resources.
// Implements: GetModuleHandleA (NULL: the program itself, whose resources are the .res that
// windres compiled from resources/orbelune.rc, linked into every program using this library),
// FindResourceA by number or by name, SizeofResource, LoadResource, LockResource. The bytes
// stay valid for the whole run and are never freed by the caller.
// Leaves out: other modules (LoadLibrary), language selection (the first entry of a type and
// name wins), FindResourceExA, EnumResource*, FreeResource (nothing to free).
#pragma once

#include "win32_types.h"
#include "error.h"

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID WINAPI LockResource(HGLOBAL hResData);
