#include "moduledata.h"

void Module_WriteSendCardRegister::registerMembers()
{
    addMember("m_commandWord", &m_commandWord);
    addMember("m_cardSlotNum", &m_cardSlotNum);
    addMember("m_portNum", &m_portNum);
    addMember("m_regAddr", &m_regAddr);
    addMember("regData", &regData);
    addMember("timeout", &timeout);
    addMember("result", &result);
}

void Module_SendCardFlashInfo::registerMembers()
{
    addMember("m_commandWord", &m_commandWord);
    addMember("m_cardSlotNum", &m_cardSlotNum);
    addMember("m_portNum", &m_portNum);
    addMember("m_regAddr", &m_regAddr);
    addMember("readLength", &readLength);
    addMember("timeout", &timeout);
    addMember("regData", &regData);
    addMember("ip", &ip);
}

void Module_ReadSendCardRegister::registerMembers() {}

Module_ReceivingCardRead::Module_ReceivingCardRead()
{
    addMember("m_regAddr", &m_regAddr);
    addMember("ltcpCommand", &ltcpCommand);
    addMember("ltcpFirstCard", &ltcpFirstCard);
    addMember("ltcpLastCard", &ltcpLastCard);
    addMember("ltcpAddr_data", &ltcpAddr_data);
    addMember("readLength", &readLength);
    addMember("timeout", &timeout);
}

void Module_ReceivingFlashInfo::registerMembers()
{
    addMember("recvUpdateData", &recvUpdateData);
}

void Module_ReceivingSDRAMInfo::registerMembers()
{
    addMember("recvData", &recvData);
    addMember("boxWHStr", &boxWHStr);
}

void Module_PixelWalkPointMap::registerMembers()
{
    addMember("bAdvance", &bAdvance);
    addMember("pointIndex", &pointIndex);
    addMember("ltcpAddr_data", &ltcpAddr_data);
    addMember("scanLineLen", &scanLineLen);
    addMember("virtualPointCount", &virtualPointCount);
    addMember("pointBright", &pointBright);
}

void Module_WriteBeforeSynInfo::registerMembers()
{
    addMember("cmdFlag", &cmdFlag);
}

void Module_ReadBeforeSynInfo::registerMembers()
{
    addMember("cmdFlag", &cmdFlag);
    addMember("synType", &synType);
}

void Module_WriteTemplateInfo::registerMembers()
{
    addMember("operateFlag", &operateFlag);
    addMember("templateNum", &templateNum);
}

void Module_WriteSubtitleBMPFileInfo::registerMembers()
{
    addMember("subtitleBMPPos", &subtitleBMPPos);
    addMember("subtitleBMPLen", &subtitleBMPLen);
    addMember("subtitleBMPFile", &subtitleBMPFile);
    addMember("subtitleResult", &subtitleResult);
    addMember("subtitleAddress", &subtitleAddress);
}

void Module_WriteSubtitleStartOrEndInfo::registerMembers()
{
    addMember("topOrButtomSubtitle", &topOrButtomSubtitle);
    addMember("startOrEndSubtitle", &startOrEndSubtitle);
    addMember("isSubtitle", &isSubtitle);
}

void Module_loadBuffToSdk::registerMembers()
{
    addMember("funcFlag", &funcFlag);
    addMember("loadFlag", &loadFlag);
}

Module_SynTableInfo::Module_SynTableInfo()
{
    addMember("recordLength", &recordLength);
    addMember("startIndex", &startIndex);
    addMember("recordCount", &recordCount);
    addMember("totalCount", &totalCount);
    addMember("tableKind", &tableKind);
    addMember("records", &records);
}

void Module_SynOutputSetupInfo::registerMembers() {}
void Module_SynChannelInfo::registerMembers() {}
void Module_LayerInfo::registerMembers() {}
void Module_SynImageAdjustInfo::registerMembers() {}
void Module_SynGroupInfo::registerMembers() {}
void Module_SynEdgeFusionInfo::registerMembers() {}
void Module_SynInputBlockInfo::registerMembers() {}

void Module_ProcessorCommand::registerMembers()
{
    addMember("code", &code);
    addMember("data", &data);
}
