/*
 * KMM_API: how the public headers mark what leaves the shared library. Included by them.
 *
 * Windows: a host importing from KModuleMeasure.dll gets __declspec(dllimport); the library's
 * own build defines KMM_BUILDING_LIBRARY (dllexport), and code linking the library's objects
 * statically defines KMM_STATIC (plain declarations). Elsewhere: default visibility, as the
 * library is built with everything else hidden.
 */
#ifndef KMODULEMEASURE_EXPORT_H
#define KMODULEMEASURE_EXPORT_H

#if defined(_WIN32)
#if defined(KMM_BUILDING_LIBRARY)
#define KMM_API __declspec(dllexport)
#elif defined(KMM_STATIC)
#define KMM_API
#else
#define KMM_API __declspec(dllimport)
#endif
#else
#define KMM_API __attribute__((visibility("default")))
#endif

#endif /* KMODULEMEASURE_EXPORT_H */
