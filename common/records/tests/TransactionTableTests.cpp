// The transaction table against the records it describes.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/records/TransactionCodes.h"

using namespace kel::records;

namespace {

const TransactionInfo& Info(int code) {
    const TransactionInfo* t = FindTransaction(code);
    EXPECT_NE(t, nullptr) << code;
    static const TransactionInfo none{};
    return t ? *t : none;
}

}  // namespace

TEST(TransactionTable, ListsEveryCodeExactlyOnce) {
    const std::vector<int> expected{134, 135, 136, 137, 138, 163, 164, 165, 166, 167, 180, 181, 182,
                                    183, 186, 187, 188, 189, 190, 191, 192, 193, 194, 198, 199, 200,
                                    201, 205, 206, 207, 210, 211, 212, 214, 215, 216, 217, 3019};
    std::vector<int> codes;
    for (const TransactionInfo& t : kTransactions) codes.push_back(t.nCode);
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, expected);

    EXPECT_EQ(FindTransaction(184), nullptr);
    EXPECT_EQ(FindTransaction(0), nullptr);
    EXPECT_EQ(FindTransaction(-1), nullptr);
}

TEST(TransactionTable, OnlyPromptAndDetailTransactionsUseSubsystem80) {
    for (const TransactionInfo& t : kTransactions) {
        const bool prompt = t.nCode >= 163 && t.nCode <= 167;
        EXPECT_EQ(t.nSubSystem, prompt ? 80 : 82) << t.nCode;
        EXPECT_NE(t.szSender, nullptr);
        EXPECT_NE(t.szMeaning, nullptr);
    }
}

TEST(TransactionTable, RequestSizesMatchTheRecords) {
    struct Fixed {
        int code;
        std::size_t size;
    };
    const Fixed fixed[] = {
        {134, sizeof(_OrderMonthBody)},   {135, sizeof(_OrderDeleteBody)}, {136, sizeof(_OrderMoveBody)},
        {137, sizeof(_OrderAddBody)},     {138, sizeof(_OrderCopyBody)},   {163, sizeof(_UserCodeBody)},
        {164, sizeof(_PromptSetStruct)},  {165, sizeof(_UserCodeBody)},    {166, sizeof(_UserCodeBody)},
        {167, sizeof(_DetailActBody)},    {186, sizeof(_ContYearKey)},     {188, sizeof(_ContIdKey32)},
        {190, sizeof(_ContIdKey10)},      {191, sizeof(_TextKey64)},       {192, sizeof(_SectionStruct)},
        {193, sizeof(_TextKey64)},        {198, sizeof(_TextKey64)},       {199, sizeof(_InsrncSectStruct)},
        {200, sizeof(_ContInfoStruct)},   {201, sizeof(_CommAdjustBody)},  {205, sizeof(_ContDetailStruct)},
        {206, sizeof(_ContDetailStruct)}, {207, sizeof(_TextKey64)},       {211, sizeof(_InsrClassDtlFilter)},
        {214, sizeof(_RICodeKey)},        {215, sizeof(_RICodeKey)},       {216, sizeof(_RICodeKey)},
        {217, sizeof(_RIAgentStruct)},    {3019, sizeof(_RILookupStruct)},
    };
    for (const Fixed& f : fixed) {
        const TransactionInfo& t = Info(f.code);
        EXPECT_EQ(t.bodyRule, BodyRule::Fixed) << f.code;
        EXPECT_EQ(ExpectedBodySize(t, 1, kOpInsert), f.size) << f.code;
    }
    for (int code : {180, 182, 210}) EXPECT_EQ(ExpectedBodySize(Info(code), 1, 0), 0u) << code;

    // A treaty code delete sends only the code.
    EXPECT_EQ(ExpectedBodySize(Info(181), 1, kOpUpdate), sizeof(_ContCodeStruct));
    EXPECT_EQ(ExpectedBodySize(Info(181), 1, kOpDelete), sizeof(_ContCodeKey));

    // Multi-record commands: the head count decides the length.
    EXPECT_EQ(ExpectedBodySize(Info(183), 0, kOpInsert), sizeof(_RICompanyStruct));
    EXPECT_EQ(ExpectedBodySize(Info(183), 2, kOpUpdate), 1054u + 2 * 377u);
    EXPECT_EQ(ExpectedBodySize(Info(194), 3, kOpInsert), 3 * sizeof(_SectDetailStruct));
    EXPECT_EQ(ExpectedBodySize(Info(212), 2, kOpInsert), 2 * sizeof(_InsrClassDtlStruct));
    EXPECT_FALSE(ExpectedBodySize(Info(194), -1, kOpInsert).has_value());

    // Treaty data bodies are sized by the counts inside them.
    EXPECT_FALSE(ExpectedBodySize(Info(189), 1, kOpInsert).has_value());
    EXPECT_EQ(Info(189).nFixed, sizeof(_ContSubHead) + sizeof(_ContInfoStruct));
    EXPECT_EQ(ContSubListsSize(0, 0, 0), 432u);
    EXPECT_EQ(ContSubListsSize(2, 3, 1), 432u + 2 * 32 + 3 * 68 + 51);
    EXPECT_EQ(ContSubListsSize(1, 1, 1, false), 120u + 32 + 68 + 51);
    EXPECT_FALSE(ContSubListsSize(0, -1, 0).has_value());
}

TEST(TransactionTable, AnswerRecordSizesMatchTheRecords) {
    struct Answer {
        int code;
        std::size_t size;
    };
    const Answer answers[] = {
        {134, sizeof(_ContOrderStruct)},    {163, sizeof(_PromptSetStruct)},   {166, sizeof(_DetailInfoStruct)},
        {180, sizeof(_ContCodeStruct)},     {182, sizeof(_RICompanyStruct)},   {186, sizeof(_ContInfoStruct)},
        {191, sizeof(_SectionStruct)},      {193, sizeof(_SectDetailStruct)},  {198, sizeof(_InsrncSectStruct)},
        {205, sizeof(_ContDetailStruct)},   {207, sizeof(_CheckResultStruct)}, {210, sizeof(_ExchRateStruct)},
        {211, sizeof(_InsrClassDtlStruct)}, {215, sizeof(_RIAccountStruct)},   {216, sizeof(_RIAgentStruct)},
        {3019, sizeof(_RICompanyStruct)},
    };
    for (const Answer& a : answers) {
        EXPECT_EQ(Info(a.code).answerRule, AnswerRule::Records) << a.code;
        EXPECT_EQ(Info(a.code).nAnswerRecord, a.size) << a.code;
    }
    EXPECT_EQ(Info(190).answerRule, AnswerRule::ContSubLists);
    EXPECT_EQ(Info(165).answerRule, AnswerRule::CountOnly);
}

TEST(TransactionTable, OperationsFollowTheCommands) {
    EXPECT_TRUE(IsOperationAllowed(Info(189), kOpInsert));
    EXPECT_FALSE(IsOperationAllowed(Info(189), kOpUpdate));
    EXPECT_TRUE(IsOperationAllowed(Info(187), kOpUpdate));
    EXPECT_FALSE(IsOperationAllowed(Info(187), kOpInsert));
    EXPECT_TRUE(IsOperationAllowed(Info(188), kOpDelete));
    EXPECT_FALSE(IsOperationAllowed(Info(183), kOpDelete));
    EXPECT_FALSE(IsOperationAllowed(Info(206), kOpInsert));
    for (int op : {0, 1, 2}) EXPECT_TRUE(IsOperationAllowed(Info(201), op)) << op;
    // Queries and screen packets carry 0.
    EXPECT_TRUE(IsOperationAllowed(Info(186), 0));
    EXPECT_FALSE(IsOperationAllowed(Info(186), 1));
    EXPECT_FALSE(IsOperationAllowed(Info(217), 3));
    EXPECT_FALSE(IsOperationAllowed(Info(217), -1));
}

TEST(TransactionTable, SubHeadOrdersTheCountsPerTransaction) {
    const ContSubCounts counts{2, 3, 4};  // participants, product lines, sub-reinsurers

    const _ContSubHead insert = *MakeContSubHead(189, counts);
    EXPECT_EQ(insert.nWord0, 1);
    EXPECT_EQ(insert.nWord1, 1);
    EXPECT_EQ(insert.nWord2, 2);  // participants first
    EXPECT_EQ(insert.nWord3, 3);
    EXPECT_EQ(insert.nWord4, 4);

    const _ContSubHead update = *MakeContSubHead(187, counts);
    EXPECT_EQ(update.nWord2, 3);  // product lines first
    EXPECT_EQ(update.nWord3, 2);
    EXPECT_EQ(update.nWord4, 4);

    const _ContSubHead answer = *MakeContSubHead(190, counts);
    EXPECT_EQ(answer.nWord0, 2);
    EXPECT_EQ(answer.nWord1, 3);
    EXPECT_EQ(answer.nWord2, 4);
    EXPECT_EQ(answer.nWord3, 0);

    for (int code : {187, 189, 190}) {
        const ContSubCounts back = *ContSubCountsOf(code, *MakeContSubHead(code, counts));
        EXPECT_EQ(back.nReins, 2) << code;
        EXPECT_EQ(back.nRisk, 3) << code;
        EXPECT_EQ(back.nExtra, 4) << code;
    }
    EXPECT_FALSE(MakeContSubHead(186, counts).has_value());
    EXPECT_FALSE(ContSubCountsOf(200, _ContSubHead{}).has_value());
}
