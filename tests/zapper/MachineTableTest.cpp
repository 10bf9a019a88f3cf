#include "MachineTable.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class MachineTable : public ::testing::Test {
protected:
    void SetUp() override { machineListed = 0; }
    void TearDown() override { machineListed = 0; }

    void table(const std::string& text) { writeFile(folder_.path() / L"ConfigInfo.ini", text); }
    std::wstring path() const { return folder_.file(L"ConfigInfo.ini"); }

    TempFolder folder_;
};

const char kTable[] = "[Manufacture001]\r\nManufactureID=4660\r\n"
                      "[Manufacture002]\r\nManufactureID=17\r\n"
                      "[MACHINE001]\r\nMachineID=100\r\n"
                      "[MACHINE002]\r\nMachineID=200\r\n"
                      "[MACHINE004]\r\nMachineID=400\r\n";

} // namespace

TEST_F(MachineTable, LookupsWalkEachListToItsEnd) {
    table(kTable);
    int listed = 0;
    EXPECT_EQ(S_OK, lookupManufacturer(17, path().c_str()));
    EXPECT_EQ(E_FAIL, lookupManufacturer(18, path().c_str()));
    EXPECT_EQ(1, lookupManufacturer(0, path().c_str()));
    EXPECT_EQ(S_OK, lookupMachine(200, listed, path().c_str()));
    EXPECT_EQ(1, listed);
    listed = 0;
    // The list ends at the missing MACHINE003.
    EXPECT_EQ(E_FAIL, lookupMachine(400, listed, path().c_str()));
    EXPECT_EQ(1, lookupMachine(0, listed, path().c_str()));
    EXPECT_EQ(0, listed);
}

TEST_F(MachineTable, ListedFlagFromBothIds) {
    table(kTable);
    struct Case {
        const char* what;
        WORD manufacturer;
        WORD machine;
        int listed;
    };
    const Case cases[] = {
        {"both listed", 4660, 100, 1},
        {"manufacturer 0: the machine list decides", 0, 100, 1},
        {"manufacturer not listed", 5, 100, 0},
        {"machine 0", 4660, 0, 0},
        {"both 0", 0, 0, 0},
        {"beyond the gap", 4660, 400, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        machineListed = 0;
        deriveMachineListed(c.manufacturer, c.machine, path().c_str());
        EXPECT_EQ(c.listed, machineListed);
    }
}

TEST_F(MachineTable, EntryOfZeroOrMissingFileEndsTheList) {
    table("[MACHINE001]\r\nMachineID=0\r\n[MACHINE002]\r\nMachineID=200\r\n");
    int listed = 0;
    EXPECT_EQ(E_FAIL, lookupMachine(200, listed, path().c_str()));
    const std::wstring missing = folder_.file(L"NoSuchFile.ini");
    EXPECT_EQ(E_FAIL, lookupMachine(200, listed, missing.c_str()));
    EXPECT_EQ(0, listed);
}

TEST_F(MachineTable, FileBesideTheProgram) {
    wchar_t path[MAX_PATH];
    machineTablePath(path);
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring expected = module;
    expected = expected.substr(0, expected.rfind(L'\\') + 1) + L"ConfigInfo.ini";
    EXPECT_EQ(expected, path);
}
