#include "data/RIAgentCom.h"

#include "common/records/TransactionCodes.h"

using namespace kel::records;

CRIAgentCom::CRIAgentCom(CBASEBASE* pOwner) : CBaseMgr(pOwner), m_stRIAgent{} {}

bool CRIAgentCom::GetRIAgentList(char** answer, int* count) {
    if (!ExecQuery(MakeHead(216), m_stRIAgent.szBrokerCode, sizeof m_stRIAgent.szBrokerCode, answer, count))
        return false;
    return CBaseMgr::Select(*answer, count);
}

bool CRIAgentCom::Insert() {
    if (!ExecCommand(MakeHead(217, kOpInsert), reinterpret_cast<const char*>(&m_stRIAgent), sizeof m_stRIAgent))
        return false;
    return CBaseMgr::Insert();
}

bool CRIAgentCom::Update() {
    if (!ExecCommand(MakeHead(217, kOpUpdate), reinterpret_cast<const char*>(&m_stRIAgent), sizeof m_stRIAgent))
        return false;
    return CBaseMgr::Update();
}

bool CRIAgentCom::Delete() {
    if (!ExecCommand(MakeHead(217, kOpDelete), reinterpret_cast<const char*>(&m_stRIAgent), sizeof m_stRIAgent))
        return false;
    return CBaseMgr::Delete();
}
