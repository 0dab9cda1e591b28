// The part of COM that the Windows spell-checking backend names, for systems that have no COM.
// Every interface lists its methods in the order of the Windows SDK headers, including the ones
// nobody here calls, so that code written against this layer builds unchanged against the real
// headers and a vtable laid out here matches the system's. IUnknown has no virtual destructor,
// just like the real one: objects are destroyed by their own Release.
//
// Only the declarations live here; com_posix.cc provides the library calls, which behave like a
// system without COM unless a test installs a fake one (com_system.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

#define STDMETHODCALLTYPE

// HRESULT values, by their SDK names. Failures are negative as 32-bit signed numbers.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
inline constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);

inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};

inline constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPVOID = void*;

enum tagCOINIT : DWORD {
  COINIT_MULTITHREADED = 0x0,
  COINIT_APARTMENTTHREADED = 0x2,
  COINIT_DISABLE_OLE1DDE = 0x4,
  COINIT_SPEED_OVER_MEMORY = 0x8,
};

enum tagCLSCTX : DWORD {
  CLSCTX_INPROC_SERVER = 0x1,
  CLSCTX_INPROC_HANDLER = 0x2,
  CLSCTX_LOCAL_SERVER = 0x4,
};

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
using LPUNKNOWN = IUnknown*;

struct IEnumString : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* strings, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumString** copy) = 0;
};

struct IGlobalInterfaceTable : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown* object, REFIID riid,
                                                              DWORD* cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD cookie, REFIID riid,
                                                           void** object) = 0;
};

enum CORRECTIVE_ACTION {
  CORRECTIVE_ACTION_NONE = 0,
  CORRECTIVE_ACTION_GET_SUGGESTIONS = 1,
  CORRECTIVE_ACTION_REPLACE = 2,
  CORRECTIVE_ACTION_DELETE = 3,
};

struct ISpellingError : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_StartIndex(ULONG* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Length(ULONG* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CorrectiveAction(CORRECTIVE_ACTION* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Replacement(LPWSTR* value) = 0;
};

struct IEnumSpellingError : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ISpellingError** error) = 0;
};

// Parameter types of ISpellChecker methods the module never calls; opaque here.
struct ISpellCheckerChangedEventHandler;
struct IOptionDescription;

struct ISpellChecker : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_LanguageTag(LPWSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE Check(LPCWSTR text, IEnumSpellingError** errors) = 0;
  virtual HRESULT STDMETHODCALLTYPE Suggest(LPCWSTR word, IEnumString** suggestions) = 0;
  virtual HRESULT STDMETHODCALLTYPE Add(LPCWSTR word) = 0;
  virtual HRESULT STDMETHODCALLTYPE Ignore(LPCWSTR word) = 0;
  virtual HRESULT STDMETHODCALLTYPE AutoCorrect(LPCWSTR from, LPCWSTR to) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOptionValue(LPCWSTR option_id, BYTE* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OptionIds(IEnumString** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Id(LPWSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LocalizedName(LPWSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE
  add_SpellCheckerChanged(ISpellCheckerChangedEventHandler* handler, DWORD* event_cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE remove_SpellCheckerChanged(DWORD event_cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOptionDescription(LPCWSTR option_id,
                                                         IOptionDescription** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE ComprehensiveCheck(LPCWSTR text,
                                                       IEnumSpellingError** errors) = 0;
};

struct ISpellCheckerFactory : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_SupportedLanguages(IEnumString** languages) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsSupported(LPCWSTR language_tag, BOOL* supported) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateSpellChecker(LPCWSTR language_tag,
                                                       ISpellChecker** checker) = 0;
};

// The COM library. Without an installed system: CoInitializeEx fails with E_NOTIMPL,
// CoCreateInstance with REGDB_E_CLASSNOTREG, CoUninitialize does nothing.
HRESULT CoInitializeEx(LPVOID reserved, DWORD co_init);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                         LPVOID* object);
LPVOID CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(LPVOID block);
