#pragma once

// The publisher's home page. The publisher puts the real address here.
constexpr char PublisherPageAddress[] = "http://velmora.example";

// Asks the shell to open the publisher's home page, as a rule in the user's
// default web browser.
void OpenPublisherPage();
