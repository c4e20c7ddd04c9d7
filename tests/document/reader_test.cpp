#include "document/reader.h"

#include "document_support.h"

#include <gtest/gtest.h>

namespace modMain {
namespace {

using testing::liveContent;
using testing::parsed;
using Content = std::vector<std::string>;

TEST(Reader, GivesEachHeaderItsOwnGroupAndTheEntriesBelowIt)
{
    EXPECT_EQ(liveContent(parsed("\r\n[a]\r\n[b]\r\n\nx=1\r[a]\r\nx=2\r\n")),
              (Content{"H [a]", "H [b]", "E x | 1", "H [a]", "E x | 2"}));
    EXPECT_EQ(parsed("\r\n\n").GroupCount(), 0);
}

TEST(Reader, RefusesAnyLineItCannotKeepAndNamesIt)
{
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"solto", "Linha 1: a linha não é um grupo nem tem \"=\"."},
        {"[g]\r\n\r\nx=1\r\n [h]\r\n", "Linha 4: a linha não é um grupo nem tem \"=\"."},
        {"[g]\nx=1\n \n", "Linha 3: a linha não é um grupo nem tem \"=\"."},
        {"\r\nx=1\r\n[g]\r\n", "Linha 2: parâmetro antes do primeiro grupo."},
        {"\xEF\xBB\xBF[g]\r\n",
         "O arquivo começa com a marca de UTF-8 (BOM), que o simulador não grava. Salve-o como ANSI "
         "(Windows-1252) e abra-o de novo."},
    };
    for (const auto& c : cases) {
        const ReadResult result = parseDocument(copyFileBytes(c.text));
        EXPECT_FALSE(result.document) << c.text;
        EXPECT_EQ(result.error.toStdString(), c.error) << c.text;
    }
}

TEST(Reader, HoldsToTheSlotLimits)
{
    std::string groups;
    std::string entries = "[g]\r\n";
    for (int i = 0; i < kMaxSlots; ++i) {
        groups += "[g]\r\n";
        entries += "n=v\r\n";
    }
    EXPECT_EQ(parsed(groups).GroupCount(), kMaxSlots);
    EXPECT_EQ(parsed(entries + "[h]\r\nn=v\r\n").group(1).EntryCount(), kMaxSlots);
    EXPECT_EQ(parseDocument(copyFileBytes(groups + "\r\n[h]\r\n")).error.toStdString(),
              "Linha 32769: o arquivo tem mais de 32767 grupos.");
    EXPECT_EQ(parseDocument(copyFileBytes(entries + "n=v\r\n")).error.toStdString(),
              "Linha 32769: o grupo tem mais de 32767 parâmetros.");
}

}  // namespace
}  // namespace modMain
