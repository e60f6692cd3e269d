#pragma once
// libxml2, loaded the first time a document is read rather than when the program starts. Corvane's
// own files are read without it (PlainXmlReader), so most commands, and an update that finds nothing
// new, never need it; loading it and the ICU it brings at every start cost some 2 ms, a twentieth of
// such an update. The library's functions are reached through the table below: every file here
// includes this header in place of libxml2's, and each function's name stands for its table entry.

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#define CORVANE_LIBXML2_FUNCTIONS(X)          \
    X(xmlAddChild)                            \
    X(xmlCreatePushParserCtxt)                \
    X(xmlCtxtReadFd)                          \
    X(xmlCtxtReadMemory)                      \
    X(xmlCtxtUseOptions)                      \
    X(xmlDictQLookup)                         \
    X(xmlDocGetRootElement)                   \
    X(xmlFreeDoc)                             \
    X(xmlFreeNode)                            \
    X(xmlFreeParserCtxt)                      \
    X(xmlFreeTextReader)                      \
    X(xmlGetDocEntity)                        \
    X(xmlGetDtdAttrDesc)                      \
    X(xmlGetNsList)                           \
    X(xmlInitParser)                          \
    X(xmlNewDoc)                              \
    X(xmlNewDocNode)                          \
    X(xmlNewDocTextLen)                       \
    X(xmlNewParserCtxt)                       \
    X(xmlNodeGetContent)                      \
    X(xmlNodeGetSpacePreserve)                \
    X(xmlParseChunk)                          \
    X(xmlReaderForFd)                         \
    X(xmlReaderForMemory)                     \
    X(xmlSAX2Characters)                      \
    X(xmlSaveClose)                           \
    X(xmlSaveDoc)                             \
    X(xmlSaveToIO)                            \
    X(xmlSetProp)                             \
    X(xmlStopParser)                          \
    X(xmlStrcasecmp)                          \
    X(xmlTextReaderConstLocalName)            \
    X(xmlTextReaderConstName)                 \
    X(xmlTextReaderConstNamespaceUri)         \
    X(xmlTextReaderConstValue)                \
    X(xmlTextReaderHasAttributes)             \
    X(xmlTextReaderIsEmptyElement)            \
    X(xmlTextReaderMoveToElement)             \
    X(xmlTextReaderMoveToFirstAttribute)      \
    X(xmlTextReaderMoveToNextAttribute)       \
    X(xmlTextReaderNodeType)                  \
    X(xmlTextReaderRead)                      \
    X(xmlTextReaderSetStructuredErrorHandler) \
    X(xmlUnlinkNode)                          \
    X(xmlValidateName)                        \
    X(xmlXPathEvalExpression)                 \
    X(xmlXPathFreeContext)                    \
    X(xmlXPathFreeObject)                     \
    X(xmlXPathNewContext)                     \
    X(xmlXPathRegisterNs)

namespace corvane::xml::libxml2 {

struct Library {
#define CORVANE_LIBXML2_ENTRY(name) decltype(&::name) name = nullptr;
    CORVANE_LIBXML2_FUNCTIONS(CORVANE_LIBXML2_ENTRY)
#undef CORVANE_LIBXML2_ENTRY
    xmlFreeFunc* freeFunction = nullptr;  // xmlFree is a variable the library sets
};

// The library, loaded and initialised on the first call from any thread. Raises FeedStoreError
// when it cannot be loaded (it is a dependency of the package: only a broken installation lacks it).
const Library& library();

}  // namespace corvane::xml::libxml2

// Libxml2Library.cpp fills the table and names its entries itself.
#ifndef CORVANE_LIBXML2_TABLE_ITSELF
#define CORVANE_LIBXML2_REDIRECT(name) (::corvane::xml::libxml2::library().name)
#define xmlAddChild CORVANE_LIBXML2_REDIRECT(xmlAddChild)
#define xmlCreatePushParserCtxt CORVANE_LIBXML2_REDIRECT(xmlCreatePushParserCtxt)
#define xmlCtxtReadFd CORVANE_LIBXML2_REDIRECT(xmlCtxtReadFd)
#define xmlCtxtReadMemory CORVANE_LIBXML2_REDIRECT(xmlCtxtReadMemory)
#define xmlCtxtUseOptions CORVANE_LIBXML2_REDIRECT(xmlCtxtUseOptions)
#define xmlDictQLookup CORVANE_LIBXML2_REDIRECT(xmlDictQLookup)
#define xmlDocGetRootElement CORVANE_LIBXML2_REDIRECT(xmlDocGetRootElement)
#define xmlFreeDoc CORVANE_LIBXML2_REDIRECT(xmlFreeDoc)
#define xmlFreeNode CORVANE_LIBXML2_REDIRECT(xmlFreeNode)
#define xmlFreeParserCtxt CORVANE_LIBXML2_REDIRECT(xmlFreeParserCtxt)
#define xmlFreeTextReader CORVANE_LIBXML2_REDIRECT(xmlFreeTextReader)
#define xmlGetDocEntity CORVANE_LIBXML2_REDIRECT(xmlGetDocEntity)
#define xmlGetDtdAttrDesc CORVANE_LIBXML2_REDIRECT(xmlGetDtdAttrDesc)
#define xmlGetNsList CORVANE_LIBXML2_REDIRECT(xmlGetNsList)
#define xmlNewDoc CORVANE_LIBXML2_REDIRECT(xmlNewDoc)
#define xmlNewDocNode CORVANE_LIBXML2_REDIRECT(xmlNewDocNode)
#define xmlNewDocTextLen CORVANE_LIBXML2_REDIRECT(xmlNewDocTextLen)
#define xmlNewParserCtxt CORVANE_LIBXML2_REDIRECT(xmlNewParserCtxt)
#define xmlNodeGetContent CORVANE_LIBXML2_REDIRECT(xmlNodeGetContent)
#define xmlNodeGetSpacePreserve CORVANE_LIBXML2_REDIRECT(xmlNodeGetSpacePreserve)
#define xmlParseChunk CORVANE_LIBXML2_REDIRECT(xmlParseChunk)
#define xmlReaderForFd CORVANE_LIBXML2_REDIRECT(xmlReaderForFd)
#define xmlReaderForMemory CORVANE_LIBXML2_REDIRECT(xmlReaderForMemory)
#define xmlSAX2Characters CORVANE_LIBXML2_REDIRECT(xmlSAX2Characters)
#define xmlSaveClose CORVANE_LIBXML2_REDIRECT(xmlSaveClose)
#define xmlSaveDoc CORVANE_LIBXML2_REDIRECT(xmlSaveDoc)
#define xmlSaveToIO CORVANE_LIBXML2_REDIRECT(xmlSaveToIO)
#define xmlSetProp CORVANE_LIBXML2_REDIRECT(xmlSetProp)
#define xmlStopParser CORVANE_LIBXML2_REDIRECT(xmlStopParser)
#define xmlStrcasecmp CORVANE_LIBXML2_REDIRECT(xmlStrcasecmp)
#define xmlTextReaderConstLocalName CORVANE_LIBXML2_REDIRECT(xmlTextReaderConstLocalName)
#define xmlTextReaderConstName CORVANE_LIBXML2_REDIRECT(xmlTextReaderConstName)
#define xmlTextReaderConstNamespaceUri CORVANE_LIBXML2_REDIRECT(xmlTextReaderConstNamespaceUri)
#define xmlTextReaderConstValue CORVANE_LIBXML2_REDIRECT(xmlTextReaderConstValue)
#define xmlTextReaderHasAttributes CORVANE_LIBXML2_REDIRECT(xmlTextReaderHasAttributes)
#define xmlTextReaderIsEmptyElement CORVANE_LIBXML2_REDIRECT(xmlTextReaderIsEmptyElement)
#define xmlTextReaderMoveToElement CORVANE_LIBXML2_REDIRECT(xmlTextReaderMoveToElement)
#define xmlTextReaderMoveToFirstAttribute CORVANE_LIBXML2_REDIRECT(xmlTextReaderMoveToFirstAttribute)
#define xmlTextReaderMoveToNextAttribute CORVANE_LIBXML2_REDIRECT(xmlTextReaderMoveToNextAttribute)
#define xmlTextReaderNodeType CORVANE_LIBXML2_REDIRECT(xmlTextReaderNodeType)
#define xmlTextReaderRead CORVANE_LIBXML2_REDIRECT(xmlTextReaderRead)
#define xmlTextReaderSetStructuredErrorHandler \
    CORVANE_LIBXML2_REDIRECT(xmlTextReaderSetStructuredErrorHandler)
#define xmlUnlinkNode CORVANE_LIBXML2_REDIRECT(xmlUnlinkNode)
#define xmlValidateName CORVANE_LIBXML2_REDIRECT(xmlValidateName)
#define xmlXPathEvalExpression CORVANE_LIBXML2_REDIRECT(xmlXPathEvalExpression)
#define xmlXPathFreeContext CORVANE_LIBXML2_REDIRECT(xmlXPathFreeContext)
#define xmlXPathFreeObject CORVANE_LIBXML2_REDIRECT(xmlXPathFreeObject)
#define xmlXPathNewContext CORVANE_LIBXML2_REDIRECT(xmlXPathNewContext)
#define xmlXPathRegisterNs CORVANE_LIBXML2_REDIRECT(xmlXPathRegisterNs)
#define xmlFree (*::corvane::xml::libxml2::library().freeFunction)
#endif
