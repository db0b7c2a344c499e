// Sections (191..194) and insurance classes (198, 199, 211, 212) of a treaty data
// record, each with a product set that is replaced as a whole.
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;
using SectionsAndClasses = ServerTest;

_SectionStruct Section(int32_t contId, const char* code, double rate, int32_t id = 0) {
    _SectionStruct s{};
    s.nSectId = id;
    s.nContId = contId;
    s.dCommRate = rate;
    Set(s.szContCode, "Q1");
    Set(s.szSectCode, code);
    Set(s.szSectName, code);
    return s;
}

std::string SectProducts(int32_t sectId, std::initializer_list<const char*> codes) {
    std::vector<_SectDetailStruct> rs;
    for (const char* c : codes) {
        _SectDetailStruct d{};
        d.nSectId = sectId;
        Set(d.szProdCode, c);
        rs.push_back(d);
    }
    return Bytes(rs);
}

std::string ClassProducts(int32_t contId, const char* cls, std::initializer_list<const char*> codes) {
    std::vector<_InsrClassDtlStruct> rs;
    for (const char* c : codes) {
        _InsrClassDtlStruct d{};
        d.nContId = contId;
        Set(d.szClassCode, cls);
        Set(d.szProdCode, c);
        rs.push_back(d);
    }
    return Bytes(rs);
}

TEST_P(SectionsAndClasses, SectionsGetIdentifiersFromTheServerAndKeepTheirProductSets) {
    Seed();
    const int32_t id = InsertTreaty(MakeTreaty("Q1", "20240101", "QS-1"));
    ASSERT_EQ(SendRecord(192, Section(id, "S2", 0.30), kOpInsert).Status(), 0);
    ASSERT_EQ(SendRecord(192, Section(id, "S1", 0.25), kOpInsert).Status(), 0);
    EXPECT_EQ(SendRecord(192, Section(id, "S1", 0.20), kOpInsert).Status(), kRefused);
    EXPECT_EQ(SendRecord(192, Section(999, "S1", 0.20), kOpInsert).Status(), kRefused);

    auto sections = Send(191, Key<64>(id)).Records<_SectionStruct>();
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(Get(sections[0].szSectCode), "S1");  // in code order
    EXPECT_GT(sections[0].nSectId, 0);
    EXPECT_NE(sections[0].nSectId, sections[1].nSectId);
    EXPECT_DOUBLE_EQ(sections[0].dCommRate, 0.25);
    EXPECT_EQ(Get(sections[0].szContCode), "Q1");
    const int32_t s1 = sections[0].nSectId;

    ASSERT_EQ(Send(194, SectProducts(s1, {"0101", "0102"}), kOpInsert, 2).Status(), 0);
    ASSERT_EQ(Send(194, SectProducts(s1, {"0401", "0102"}), kOpInsert, 2).Status(), 0);
    EXPECT_EQ(Send(194, SectProducts(s1, {"0101", "9999"}), kOpInsert, 2).Status(), kRefused);  // unknown product
    EXPECT_EQ(Send(194, SectProducts(s1, {"0101"}) + SectProducts(s1 + 1, {"0102"}), kOpInsert, 2).Status(),
              kBadRequest);  // records of two sections
    EXPECT_EQ(Send(194, SectProducts(4711, {"0101"}), kOpInsert, 1).Status(), kRefused);
    const auto products = Send(193, Key<64>(s1)).Records<_SectDetailStruct>();
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(Get(products[0].szProdCode), "0102");
    EXPECT_EQ(Get(products[0].szProdName), "家庭财产保险");
    EXPECT_EQ(Get(products[1].szProdName), "建筑工程一切险");

    ASSERT_EQ(SendRecord(192, Section(id, "S9", 0.5, s1), kOpUpdate).Status(), 0);
    EXPECT_EQ(SendRecord(192, Section(id, "S2", 0.5, s1), kOpUpdate).Status(), kRefused);  // another's code
    EXPECT_EQ(SendRecord(192, Section(id, "S3", 0.5, 4711), kOpUpdate).Status(), kRefused);
    sections = Send(191, Key<64>(id)).Records<_SectionStruct>();
    EXPECT_EQ(Get(sections[1].szSectCode), "S9");
    EXPECT_DOUBLE_EQ(sections[1].dCommRate, 0.5);

    _SectionStruct gone{};
    gone.nSectId = s1;  // a delete carries only the identifier
    ASSERT_EQ(SendRecord(192, gone, kOpDelete).Status(), 0);
    EXPECT_EQ(SendRecord(192, gone, kOpDelete).Status(), kRefused);
    EXPECT_EQ(Send(193, Key<64>(s1)).Count(), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_sect_detail"), 0);
}

TEST_P(SectionsAndClasses, ClassesAreKeyedByTreatyAndCode) {
    Seed();
    const int32_t id = InsertTreaty(MakeTreaty("Q1", "20240101", "QS-1"));
    _InsrncSectStruct cls{};
    cls.nContId = id;
    Set(cls.szClassCode, "01");
    Set(cls.szClassName, "财产险");
    ASSERT_EQ(SendRecord(199, cls, kOpInsert).Status(), 0);
    EXPECT_EQ(SendRecord(199, cls, kOpInsert).Status(), kRefused);
    Set(cls.szClassName, "企业财产险");
    ASSERT_EQ(SendRecord(199, cls, kOpUpdate).Status(), 0);
    _InsrncSectStruct other = cls;
    Set(other.szClassCode, "09");
    EXPECT_EQ(SendRecord(199, other, kOpUpdate).Status(), kRefused);
    other.nContId = 999;
    EXPECT_EQ(SendRecord(199, other, kOpInsert).Status(), kRefused);  // no such treaty data

    const auto classes = Send(198, Key<64>(id)).Records<_InsrncSectStruct>();
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(Get(classes[0].szClassName), "企业财产险");

    ASSERT_EQ(Send(212, ClassProducts(id, "01", {"0102", "0101"}), kOpInsert, 2).Status(), 0);
    ASSERT_EQ(Send(212, ClassProducts(id, "01", {"0101"}), kOpInsert, 1).Status(), 0);
    EXPECT_EQ(Send(212, ClassProducts(id, "09", {"0101"}), kOpInsert, 1).Status(), kRefused);
    _InsrClassDtlFilter filter{};
    filter.stFilter.nContId = id;
    Set(filter.stFilter.szClassCode, "01");
    const auto products = Send(211, Bytes(filter)).Records<_InsrClassDtlStruct>();
    ASSERT_EQ(products.size(), 1u);
    EXPECT_EQ(Get(products[0].szProdCode), "0101");
    EXPECT_EQ(Get(products[0].szProdName), "企业财产保险");

    ASSERT_EQ(SendRecord(199, cls, kOpDelete).Status(), 0);
    EXPECT_EQ(SendRecord(199, cls, kOpDelete).Status(), kRefused);
    EXPECT_EQ(Send(211, Bytes(filter)).Count(), 0);
}

TEST_P(SectionsAndClasses, AModifyChangesTheRecordItsKeyNamesAndNeverAnotherOne) {
    Seed();
    const int32_t id = InsertTreaty(MakeTreaty("Q1", "20240101", "QS-1"));
    const int32_t other = InsertTreaty(MakeTreaty("Q1", "20250101", "QS-2"));
    _InsrncSectStruct cls{};
    cls.nContId = id;
    Set(cls.szClassCode, "01");
    Set(cls.szClassName, "财产险");
    ASSERT_EQ(SendRecord(199, cls, kOpInsert).Status(), 0);
    Set(cls.szClassCode, "02");
    Set(cls.szClassName, "车险");
    ASSERT_EQ(SendRecord(199, cls, kOpInsert).Status(), 0);
    ASSERT_EQ(Send(212, ClassProducts(id, "01", {"0101"}), kOpInsert, 1).Status(), 0);

    // A code no class has is no modify: nothing is stored under it.
    Set(cls.szClassCode, "03");
    Set(cls.szClassName, "改名");
    EXPECT_EQ(SendRecord(199, cls, kOpUpdate).Status(), kRefused);
    cls.nContId = other;  // nor the same code under another treaty data record
    Set(cls.szClassCode, "01");
    EXPECT_EQ(SendRecord(199, cls, kOpUpdate).Status(), kRefused);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_insrnc_sect"), 2);
    // A modify of 02 changes 02's name; 01 keeps its name and products.
    cls.nContId = id;
    Set(cls.szClassCode, "02");
    ASSERT_EQ(SendRecord(199, cls, kOpUpdate).Status(), 0);
    const auto classes = Send(198, Key<64>(id)).Records<_InsrncSectStruct>();
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(Get(classes[0].szClassName), "财产险");
    EXPECT_EQ(Get(classes[1].szClassName), "改名");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_class_detail WHERE c_class_cde = '01'"), 1);

    // A section is named by its id: a record naming another treaty does not move it.
    ASSERT_EQ(SendRecord(192, Section(id, "S1", 0.25), kOpInsert).Status(), 0);
    const int32_t s1 = Send(191, Key<64>(id)).Records<_SectionStruct>().at(0).nSectId;
    EXPECT_EQ(SendRecord(192, Section(other, "S1", 0.3, s1), kOpUpdate).Status(), kRefused);
    EXPECT_EQ(SendRecord(192, Section(id, "S1", 0.3, s1 + 100), kOpUpdate).Status(), kRefused);
    EXPECT_EQ(Send(191, Key<64>(other)).Count(), 0);
    const auto sections = Send(191, Key<64>(id)).Records<_SectionStruct>();
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_DOUBLE_EQ(sections[0].dCommRate, 0.25);
}

KELMOR_SERVER_BACKENDS(SectionsAndClasses);

}  // namespace
}  // namespace kel::server::test
