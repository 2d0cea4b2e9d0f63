#ifndef LUM_SKIN_COBJECT_H
#define LUM_SKIN_COBJECT_H

// The root of the program's objects: a virtual destructor, nothing else.
class CObject {
public:
    virtual ~CObject() {}
};

#endif
