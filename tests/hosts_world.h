// A registry world with AutoCAD in it: the local-machine installations that
// discovery reads and loader registration writes below, and the current
// user's profiles that trusted-path registration updates.
#pragma once

#include <string>

#include "hosts/acad_hosts.h"
#include "tests/registry_world.h"

constexpr char kAcadKey[] = "SOFTWARE\\Autodesk\\AutoCAD";
constexpr char kWowAcadKey[] = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD";
constexpr char kInstallDir[] = "C:\\Zorvel\\Zorvel批打印软件";

class HostsWorldTest : public RegistryWorldTest {
 protected:
  HostsWorldTest()
      : RegistryWorldTest({{platform::Hive::LocalMachine, kAcadKey},
                           {platform::Hive::LocalMachine, kWowAcadKey},
                           {platform::Hive::CurrentUser, kAcadKey}}) {}

  // One installation: <acadKey>\<release>\<product> with AcadLocation and
  // ProductName. Returns the product key path as discovery records it.
  std::string AddProduct(const std::string& acadKey, const std::string& release, const std::string& product,
                         const std::string& location, const std::string& productName) {
    std::string path = acadKey + "\\" + release + "\\" + product;
    WriteText(platform::Hive::LocalMachine, path, "AcadLocation", location);
    WriteText(platform::Hive::LocalMachine, path, "ProductName", productName);
    return path + "\\";
  }

  // HKCU\SOFTWARE\Autodesk\AutoCAD\<release>\<product>\Profiles\<profile>\Variables
  static std::string VariablesKey(const std::string& release, const std::string& product,
                                  const std::string& profile) {
    return std::string(kAcadKey) + "\\" + release + "\\" + product + "\\Profiles\\" + profile + "\\Variables";
  }

  // Whether this registry shows the two local-machine views as different
  // keys; a 32-bit program on the real registry sees one through both paths.
  bool ViewsAreSeparate() const { return !onRealRegistry() || sizeof(void*) == 8; }

};
