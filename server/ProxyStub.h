#pragma once
// Windows only: the interface proxy/stub code merged into corvane.dll. It is generated from
// CorvaneLib.idl with its entry points renamed "Prx..." so the module's own exports call them. C and
// C++ read this header; the generated C sources are compiled with it included first.

#include <windows.h>
#include <unknwn.h>

#ifdef __cplusplus
extern "C" {
#endif

BOOL WINAPI PrxDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
HRESULT WINAPI PrxDllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
HRESULT WINAPI PrxDllCanUnloadNow(void);
HRESULT WINAPI PrxDllRegisterServer(void);
HRESULT WINAPI PrxDllUnregisterServer(void);

#ifndef __cplusplus
// The generated proxies name these rpcrt4 entry points, which mingw-w64 declares only for C++.
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** object);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);
#endif

#ifdef __cplusplus
}
#endif
