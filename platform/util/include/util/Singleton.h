#pragma once
#include <cassert>

namespace kavri3D {

/// One live instance at a time: the constructor records it, the destructor forgets it.
/// Each class declares its instance pointer with KAVRI_SINGLETON_DECLARE after the class and
/// defines it with KAVRI_SINGLETON_DEFINE in its own library, so there is exactly one
/// pointer however many libraries use the class.
template <class T> class Singleton {
public:
    // The base pointer is kept, and cast only once the object is whole: casting `this` to
    // T inside this constructor would name an object that does not exist yet.
    Singleton() { msSingleton = this; }
    ~Singleton()
    {
        if (msSingleton == this)
            msSingleton = nullptr;
    }
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

    static T* getSingletonPtr() { return static_cast<T*>(msSingleton); }
    static T& getSingleton()
    {
        assert(msSingleton);
        return *static_cast<T*>(msSingleton);
    }

protected:
    /// For an instance made on first use and owned here until dropSingleton (what the
    /// class's own instance()/destroyInstance() hand out): the live one, made if there is none.
    static T& makeSingleton()
    {
        if (!msSingleton)
            new T; // the constructor records it
        return getSingleton();
    }
    static void dropSingleton() { delete getSingletonPtr(); }

    static Singleton<T>* msSingleton;
};

} // namespace kavri3D

#define KAVRI_SINGLETON_DECLARE(T) template <>::kavri3D::Singleton<T>* ::kavri3D::Singleton<T>::msSingleton
#define KAVRI_SINGLETON_DEFINE(T) template <>::kavri3D::Singleton<T>* ::kavri3D::Singleton<T>::msSingleton = nullptr
