// Where a setup program keeps its package when it carries it as a resource.
#pragma once

constexpr int kPayloadResourceId = 139;
constexpr char kPayloadResourceType[] = "INSTALL";
