// The version record, the icon and the application manifest of Dovrane.exe,
// read back from the built file the way Explorer and the loader read them.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/scenarios.h"

namespace e2e {

namespace {

std::string hex32(DWORD v) {
  char buf[16];
  snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(v));
  return buf;
}

std::string version_of(DWORD ms, DWORD ls) {
  return num(HIWORD(ms)) + "." + num(LOWORD(ms)) + "." + num(HIWORD(ls)) + "." + num(LOWORD(ls));
}

void check_version_record(const std::string& exe) {
  const std::wstring path = utf8_to_wide(exe);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<char> data(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) {
    check(false, "version record present", "a VS_VERSION_INFO resource",
          "none (error " + num(GetLastError()) + ")");
    return;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) || len < sizeof *fixed) {
    check(false, "fixed version information", "present", "missing");
  } else {
    std::string fv = version_of(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    std::string pv = version_of(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    check(fv == "1.0.0.0" && pv == "1.0.0.0", "fixed file and product version", "1.0.0.0 and 1.0.0.0",
          fv + " and " + pv);
    bool ok = fixed->dwFileOS == VOS__WINDOWS32 && fixed->dwFileType == VFT_APP &&
              (fixed->dwFileFlags & fixed->dwFileFlagsMask) == 0;
    check(ok, "file type", "VOS__WINDOWS32 (0x00000004), VFT_APP (0x00000001), no flags",
          "os " + hex32(fixed->dwFileOS) + ", type " + hex32(fixed->dwFileType) + ", flags " +
              hex32(fixed->dwFileFlags & fixed->dwFileFlagsMask));
  }

  WORD* translation = nullptr;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len) ||
      len == 0) {
    check(false, "Translation", "0x0804, 0x04B0", "missing");
  } else {
    std::string seen;
    for (UINT i = 0; i + 1 < len / sizeof(WORD); i += 2) {
      char buf[32];
      snprintf(buf, sizeof buf, "%s0x%04X, 0x%04X", i ? "; " : "", translation[i], translation[i + 1]);
      seen += buf;
    }
    check(seen == "0x0804, 0x04B0", "Translation", "0x0804, 0x04B0 (one entry)", seen);
  }

  // The texts are UTF-16 in the file and compared so: the copyright sign is
  // not a GBK character.
  struct Entry {
    const wchar_t* key;
    const wchar_t* value;
  };
  const Entry entries[] = {{L"FileVersion", L"1.0.0.0"},
                           {L"ProductVersion", L"1.0.0.0"},
                           {L"ProductName", L"Dovrane"},
                           {L"Comments", L"Dovrane"},
                           {L"FileDescription", L"Dovrane \u5B9A\u65F6\u5173\u673A"},  // 定时关机
                           {L"InternalName", L"Dovrane"},
                           {L"OriginalFilename", L"Dovrane.exe"},
                           {L"CompanyName", L"Lumtrek"},
                           {L"LegalCopyright", L"\u00A9 2026 Lumtrek"}};
  for (const Entry& e : entries) {
    std::wstring key = std::wstring(L"\\StringFileInfo\\080404B0\\") + e.key;
    wchar_t* value = nullptr;
    std::string seen = "missing";
    if (VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) && value) {
      seen = quoted(wide_to_utf8(std::wstring(value, wcsnlen(value, len))));
    }
    const std::string want = quoted(wide_to_utf8(e.value));
    check_utf8(seen == want, "string table 080404B0: " + wide_to_utf8(e.key), want, seen);
  }
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

struct IconImage {
  int size = 0;  // width = height
  int bits = 0;
  bool png = false;
  std::string problem;
};

BOOL CALLBACK collect_group(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR lp) {
  auto* names = reinterpret_cast<std::vector<std::string>*>(lp);
  names->push_back(IS_INTRESOURCE(name) ? "#" + num(reinterpret_cast<ULONG_PTR>(name))
                                        : wide_to_gbk(name));
  return TRUE;
}

const void* resource_data(HMODULE module, LPCWSTR name, LPCWSTR type, DWORD* size) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  *size = SizeofResource(module, found);
  return loaded ? LockResource(loaded) : nullptr;
}

// The images of one icon group, each checked against its own RT_ICON data:
// a PNG, or a bitmap header of the listed size and depth.
std::vector<IconImage> icon_images(HMODULE module, LPCWSTR group, std::string* problem) {
  std::vector<IconImage> out;
  DWORD size = 0;
  auto* header = static_cast<const GroupIconHeader*>(resource_data(module, group, MAKEINTRESOURCEW(14), &size));
  if (!header || size < sizeof *header) {
    *problem = "group data unreadable";
    return out;
  }
  auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
  if (size < sizeof *header + header->count * sizeof(GroupIconEntry)) {
    *problem = "group data shorter than its " + num(header->count) + " entries";
    return out;
  }
  for (int i = 0; i < header->count; ++i) {
    const GroupIconEntry& e = entries[i];
    IconImage image;
    image.size = e.width == 0 ? 256 : e.width;
    image.bits = e.bit_count;
    int height = e.height == 0 ? 256 : e.height;
    DWORD data_size = 0;
    auto* data = static_cast<const unsigned char*>(
        resource_data(module, MAKEINTRESOURCEW(e.id), MAKEINTRESOURCEW(3), &data_size));
    if (height != image.size) image.problem = "not square";
    if (!data || data_size < 40) {
      image.problem = "RT_ICON " + num(e.id) + " missing";
    } else if (std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
      image.png = true;
    } else {
      BITMAPINFOHEADER bih;
      std::memcpy(&bih, data, sizeof bih);
      if (bih.biWidth != image.size || bih.biHeight != 2 * image.size || bih.biBitCount != e.bit_count) {
        image.problem = "bitmap header says " + num(bih.biWidth) + "x" + num(bih.biHeight / 2) + "@" +
                        num(bih.biBitCount);
      }
    }
    out.push_back(image);
  }
  return out;
}

void check_icon(const std::string& exe) {
  HMODULE module = LoadLibraryExW(utf8_to_wide(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    check(false, "icon: file opens as data", "loaded", "error " + num(GetLastError()));
    return;
  }
  std::vector<std::string> groups;
  EnumResourceNamesW(module, MAKEINTRESOURCEW(14), collect_group, reinterpret_cast<LONG_PTR>(&groups));
  if (groups.size() != 1) {
    std::string names;
    for (const std::string& g : groups) names += " " + g;
    check(false, "icon: one RT_GROUP_ICON", "1 group", num(static_cast<long long>(groups.size())) + " group(s)" + names);
    if (groups.empty()) {
      FreeLibrary(module);
      return;
    }
  }
  const std::string& g = groups.front();
  std::string problem;
  std::vector<IconImage> images =
      icon_images(module, g[0] == '#' ? MAKEINTRESOURCEW(std::stoi(g.substr(1))) : gbk_to_wide(g).c_str(), &problem);
  FreeLibrary(module);

  // Listed as size@bits, in the group's order.
  const char* const wanted[] = {"32@4", "16@4", "48@8", "32@8", "16@8", "256@32", "128@32", "48@32", "32@32", "16@32"};
  std::vector<std::string> want(std::begin(wanted), std::end(wanted)), have;
  std::string listed, problems = problem;
  for (const IconImage& i : images) {
    have.push_back(num(i.size) + "@" + num(i.bits));
    listed += (listed.empty() ? "" : " ") + have.back() + (i.png ? "(png)" : "");
    if (!i.problem.empty()) problems += " " + have.back() + ": " + i.problem;
  }
  std::string wanted_text;
  for (const std::string& w : want) wanted_text += (wanted_text.empty() ? "" : " ") + w;
  std::sort(want.begin(), want.end());
  std::sort(have.begin(), have.end());
  check(want == have && problems.empty(), "icon group " + g + ": ten images", wanted_text + " (any order)",
        (listed.empty() ? "no images" : listed) + (problems.empty() ? "" : "; problems:" + problems));
  bool png256 = false;
  for (const IconImage& i : images) png256 = png256 || (i.size == 256 && i.png);
  check(png256, "icon: the 256x256 image is PNG-compressed", "PNG data", png256 ? "PNG data" : "no 256x256 PNG");
}

// The application manifest (RT_MANIFEST, id 1) that the loader reads before
// the program's first window: no elevation, the Windows versions it was
// written for, and system DPI awareness.
void check_manifest(const std::string& exe) {
  HMODULE module = LoadLibraryExW(utf8_to_wide(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    check(false, "manifest: file opens as data", "loaded", "error " + num(GetLastError()));
    return;
  }
  DWORD size = 0;
  auto* data = static_cast<const char*>(resource_data(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24), &size));
  std::string xml = data ? std::string(data, size) : std::string();
  FreeLibrary(module);
  check(!xml.empty(), "manifest: RT_MANIFEST #1 present", "present",
        xml.empty() ? "missing" : num(static_cast<long long>(size)) + " bytes");
  if (xml.empty()) return;
  struct Part {
    const char* what;
    const char* text;
  };
  const Part parts[] = {
      {"runs as the user who started it", "level=\"asInvoker\""},
      {"Windows Vista", "{e2011457-1546-43c5-a5fe-008deee3d3f0}"},
      {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
      {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
      {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
      {"Windows 10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
      {"DPI-aware", ">true</dpiAware>"},
  };
  for (const Part& p : parts) {
    check(xml.find(p.text) != std::string::npos, std::string("manifest: ") + p.what, p.text,
          xml.find(p.text) != std::string::npos ? "declared" : "not declared");
  }
  // The restyling draws the controls itself: no common-controls version 6.
  check(xml.find("Microsoft.Windows.Common-Controls") == std::string::npos,
        "manifest: no dependency on common controls 6", "none", 
        xml.find("Microsoft.Windows.Common-Controls") == std::string::npos ? "none" : "declared");
}

}  // namespace

void scenario_resources(const std::string& exe) {
  check_version_record(exe);
  check_icon(exe);
  check_manifest(exe);
}

}  // namespace e2e
