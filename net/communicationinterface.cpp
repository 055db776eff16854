#include "net/communicationinterface.h"

CommunicationInterface::CommunicationInterface(QObject *parent)
    : QObject(parent)
{
}
