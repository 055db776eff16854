#pragma once

#include <QAtomicPointer>
#include <QMutex>
#include <QMutexLocker>

// The stored pointer and creation mutex of one process-wide singleton. get() reads the
// pointer without the lock, and only when it is null takes the lock, reads it again and
// creates the object, so concurrent first calls create exactly one instance.
template <typename T>
class LazyInstance
{
public:
    template <typename Factory>
    T *get(Factory make)
    {
        T *pInstance = m_pInstance.loadAcquire();
        if (pInstance)
            return pInstance;
        QMutexLocker locker(&m_mutex);
        pInstance = m_pInstance.loadAcquire();
        if (!pInstance) {
            pInstance = make();
            m_pInstance.storeRelease(pInstance);
        }
        return pInstance;
    }

    // Forgets the instance when it is pInstance: for singletons that a Qt parent deletes, so
    // that a later get() creates a fresh one instead of returning a dangling pointer.
    void forget(T *pInstance)
    {
        QMutexLocker locker(&m_mutex);
        m_pInstance.testAndSetOrdered(pInstance, nullptr);
    }

    // Deletes the instance, if any, under the same lock and forgets it.
    void destroy()
    {
        QMutexLocker locker(&m_mutex);
        delete m_pInstance.fetchAndStoreOrdered(nullptr);
    }

private:
    QAtomicPointer<T> m_pInstance;
    QMutex m_mutex;
};
