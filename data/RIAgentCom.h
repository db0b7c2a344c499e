// Manager of the reinsurers attached to a broker (216, 217).
#pragma once

#include "data/BaseMgr.h"

class CRIAgentCom : public CBaseMgr {
public:
    explicit CRIAgentCom(CBASEBASE* pOwner);

    void SetRIAgent(const _RIAgentStruct& record) { m_stRIAgent = record; }

    bool GetRIAgentList(char** answer, int* count);  // 216, keyed by the broker code field
    bool Insert() override;                          // 217, operation 0
    bool Update() override;                          // 217, operation 1
    bool Delete() override;                          // 217, operation 2

    _RIAgentStruct m_stRIAgent;
};
