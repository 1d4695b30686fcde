#include "browsers/cookies/partition_site.h"

#include <gtest/gtest.h>

using browsers::siteOfOriginAttributes;
using browsers::siteOfTopFrameKey;

TEST(PartitionSite, ChromiumTopFrameSiteKeys) {
  EXPECT_EQ(browsers::siteOfTopFrameKey("https://news.test"), "news.test");
  EXPECT_EQ(browsers::siteOfTopFrameKey("http://127.0.0.1"), "127.0.0.1");
  for (const char* odd : {"", "https://", "ftp://news.test", "https://news.test:8443",
                          "https://news.test/path", "news.test"})
    EXPECT_EQ(browsers::siteOfTopFrameKey(odd), "") << odd;
}

TEST(PartitionSite, FirefoxOriginAttributes) {
  EXPECT_EQ(browsers::siteOfOriginAttributes("^partitionKey=%28https%2Cnews.test%29"), "news.test");
  EXPECT_EQ(browsers::siteOfOriginAttributes(
                "^userContextId=2&partitionKey=%28http%2Cnews.test%2C8080%29"),
            "news.test");
  EXPECT_EQ(browsers::siteOfOriginAttributes("^partitionKey=(https,news.test,f)"), "news.test");
  for (const char* odd :
       {"", "^userContextId=1", "partitionKey=%28https%2Cnews.test%29",
        "^partitionKey=%28https%2Cnews.test", "^partitionKey=%2",
        "^partitionKey=", "^partitionKey=%28file%2Cx%29", "^partitionKey=%28https%2Ca%2Fb%29"})
    EXPECT_EQ(browsers::siteOfOriginAttributes(odd), "") << odd;
}
