#include "content/texts.h"


#include <cstring>

#include "platform/code_pages.h"

namespace tessera::content {

bool ParseDemoLanguage(const std::string& name, DemoLanguage& out) {
  if (name == "english") out = DemoLanguage::English;
  else if (name == "chinese-simplified") out = DemoLanguage::ChineseSimplified;
  else if (name == "chinese-traditional") out = DemoLanguage::ChineseTraditional;
  else return false;
  return true;
}

const char* IniLanguageName(DemoLanguage language) {
  switch (language) {
    case DemoLanguage::English: return "English";
    case DemoLanguage::ChineseSimplified: return "ChineseSimplify";
    case DemoLanguage::ChineseTraditional: return "ChineseTraditional";
  }
  return "English";
}

int EngineLanguage(DemoLanguage language) {
  switch (language) {
    case DemoLanguage::English: return 2;
    case DemoLanguage::ChineseSimplified: return 0;
    case DemoLanguage::ChineseTraditional: return 1;
  }
  return 2;
}

const std::vector<TextEntry>& MenuTexts() {
  static const std::vector<TextEntry> table = {
      {"GameOption", "Options", "游戏设置", "遊戲設定"},
      {"SaveGame", "Save game", "保存游戏", "儲存遊戲"},
      {"RestartLevel", "Restart level", "重玩本关", "重玩本關"},
      {"BossComing", "Boss is coming!", "老板来了!", "老闆來了!"},
      {"Setting", "Settings", "设置", "設定"},
      {"RestartGame", "Resume", "返回游戏", "返回遊戲"},
      {"ExitGame", "Main menu", "主菜单", "主選單"},
      {"Save", "Save", "保存进度", "儲存進度"},
      {"Load", "Load", "读取进度", "讀取進度"},
      {"Confirm", "Are you sure?", "确定吗?", "確定嗎?"},
      {"Empty", "- empty -", "- 空 -", "- 空 -"},
  };
  return table;
}

const std::vector<TextEntry>& TalkTexts() {
  static const std::vector<TextEntry> table = {
      {"L00_B0", "Who knocks at the gallery at this hour?", "这么晚了, 是谁在敲画廊的门?", "這麼晚了, 是誰在敲畫廊的門?"},
      {"L00_B1", "I am Mira. I came to mend the broken windows.", "我叫米拉, 我来修补破碎的窗画.", "我叫米拉, 我來修補破碎的窗畫."},
      {"L00_B2", "Click a piece to turn it. Make every piece match the small picture.",
       "点击一块碎片就能翻转它. 让每一块都和右上角的小图一样.", "點擊一塊碎片就能翻轉它. 讓每一塊都和右上角的小圖一樣."},
      {"L00_E0", "The gate shines again! Come inside.", "大门又亮起来了! 快进来吧.", "大門又亮起來了! 快進來吧."},
      {"L01_B0", "Hello! I am Wisp, the light of the lake window.", "你好! 我是小光, 湖之窗的光灵.", "你好! 我是小光, 湖之窗的光靈."},
      {"L01_B1", "Beware the brown spider. It wakes when you come near.", "小心棕色的蜘蛛, 你一靠近它就会醒来.",
       "小心棕色的蜘蛛, 你一靠近它就會醒來."},
      {"L01_B2", "Then I shall be quick.", "那我就快一点.", "那我就快一點."},
      {"L01_E0", "The lake sparkles! I will follow you.", "湖水闪闪发光! 我要跟着你走.", "湖水閃閃發光! 我要跟著你走."},
      {"L02_B0", "The rose window. Stones lie on it; set a neighbour right to break them.",
       "这是玫瑰之窗. 石头压在上面, 把旁边的碎片拼对就能炸开石头.", "這是玫瑰之窗. 石頭壓在上面, 把旁邊的碎片拼對就能炸開石頭."},
      {"L02_B1", "And that red spider never sleeps for long.", "那只红蜘蛛可睡不了多久.", "那隻紅蜘蛛可睡不了多久."},
      {"L02_E0", "The rose is in bloom again.", "玫瑰又盛开了.", "玫瑰又盛開了."},
      {"L03_B0", "Caw! You will never undo my spiral, little painter.", "呱! 小画家, 你永远解不开我的漩涡.",
       "呱! 小畫家, 你永遠解不開我的漩渦."},
      {"L03_B1", "Watch me.", "你看着吧.", "你看著吧."},
      {"L03_E0", "Hmph. Two paths lie ahead. Choose, if you dare.", "哼. 前面有两条路, 有胆量就选吧.",
       "哼. 前面有兩條路, 有膽量就選吧."},
      {"L03_E1", "The sea window, or the moon window?", "去海之窗, 还是月之窗?", "去海之窗, 還是月之窗?"},
      {"L03_S0", "Go down to the sunset coast.", "走下山去夕阳海岸.", "走下山去夕陽海岸."},
      {"L03_S1", "Climb up to the moon tower.", "爬上高高的月亮塔.", "爬上高高的月亮塔."},
      {"L4A_B0", "The coast at sunset. Two spiders guard the shore.", "夕阳下的海岸, 两只蜘蛛守着沙滩.",
       "夕陽下的海岸, 兩隻蜘蛛守著沙灘."},
      {"L4A_B1", "Four pictures mixed in one. Look closely at the waves.", "四幅画混在一起, 仔细看看水波.",
       "四幅畫混在一起, 仔細看看水波."},
      {"L4A_E0", "Beautiful! The road leads on to the crystal hall.", "真美! 这条路通往水晶大厅.",
       "真美! 這條路通往水晶大廳."},
      {"L4B_B0", "My stones cover the moon window. Only one piece is free!", "我的石头盖满了月之窗, 只剩一块没压住!",
       "我的石頭蓋滿了月之窗, 只剩一塊沒壓住!"},
      {"L4B_B1", "Then I start from that one.", "那我就从那一块开始.", "那我就從那一塊開始."},
      {"L4B_E0", "Caw... the moon is bright again.", "呱... 月亮又亮了.", "呱... 月亮又亮了."},
      {"L05_B0", "The crystal hall. Its pieces are tiny; take your time.", "水晶大厅的碎片很小, 慢慢来.",
       "水晶大廳的碎片很小, 慢慢來."},
      {"L05_B1", "Small pieces, steady hands.", "碎片虽小, 手要稳.", "碎片雖小, 手要穩."},
      {"L05_E0", "Splendid work. Only two windows remain.", "干得漂亮. 只剩两扇窗了.", "幹得漂亮. 只剩兩扇窗了."},
      {"L06_B0", "The ember window holds five pictures. And all my spiders!", "余烬之窗藏着五幅画, 还有我所有的蜘蛛!",
       "餘燼之窗藏著五幅畫, 還有我所有的蜘蛛!"},
      {"L06_B1", "Clear every cobweb, or the window will not light.", "把蜘蛛网都清掉, 不然窗子不会亮.",
       "把蜘蛛網都清掉, 不然窗子不會亮."},
      {"L06_E0", "The embers glow warm again.", "余烬又温暖地亮了起来.", "餘燼又溫暖地亮了起來."},
      {"L07_B0", "The great window. Hundreds of pieces, three pictures each.", "这是最大的窗, 几百块碎片, 每块三幅画.",
       "這是最大的窗, 幾百塊碎片, 每塊三幅畫."},
      {"L07_B1", "This is my last trick!", "这是我最后的诡计!", "這是我最後的詭計!"},
      {"L07_E0", "Enough! I give back your colours.", "够了! 我把颜色还给你们.", "夠了! 我把顏色還給你們."},
      {"L08_B0", "Look: the dawn shines through every window.", "看, 晨光照进了每一扇窗.", "看, 晨光照進了每一扇窗."},
      {"L08_B1", "You did it, Mira!", "你做到了, 米拉!", "你做到了, 米拉!"},
      {"L08_E0", "The gallery paints the world once more.", "画廊又为世界画上了色彩.", "畫廊又為世界畫上了色彩."},
      {"L08_E1", "Thank you for playing.", "谢谢你的游玩.", "謝謝你的遊玩."},
  };
  return table;
}

const std::vector<TextEntry>& PictureTexts() {
  static const std::vector<TextEntry> table = {
      {"Title", "TESSERA", "镶嵌画廊", "鑲嵌畫廊"},
      {"Subtitle", "The Painted Gallery", "彩绘之窗", "彩繪之窗"},
      {"NewGame", "New Game", "新游戏", "新遊戲"},
      {"Continue", "Continue", "继续游戏", "繼續遊戲"},
      {"Quit", "Quit", "退出", "退出"},
      {"WinRule", "Win rule", "过关条件", "過關條件"},
      {"Quarter", "3/4", "3/4", "3/4"},
      {"All", "All", "全部", "全部"},
      {"Music", "Music", "音乐", "音樂"},
      {"Sound", "Sound", "音效", "音效"},
      {"Yes", "Yes", "是", "是"},
      {"No", "No", "否", "否"},
      {"Pass", "Well done!", "过关了!", "過關了!"},
      {"Reset", "Time is up!", "时间到!", "時間到!"},
      {"Travel", "Click to travel on", "点击继续旅程", "點擊繼續旅程"},
      {"Logo1", "Tessera Studio presents", "镶嵌工作室 出品", "鑲嵌工作室 出品"},
      {"Logo2", "A picture puzzle game", "一款拼图游戏", "一款拼圖遊戲"},
      {"Logo3", "Made of light and glass", "由光与玻璃构成", "由光與玻璃構成"},
      {"Intro0", "Long ago, the Gallery of Tessera held windows that painted the world.",
       "很久以前, 镶嵌画廊的窗子为世界描绘色彩.", "很久以前, 鑲嵌畫廊的窗子為世界描繪色彩."},
      {"Intro1", "One night the Raven stole their colours and scattered every piece.",
       "一天夜里, 乌鸦偷走了颜色, 把碎片撒得到处都是.", "一天夜裡, 烏鴉偷走了顏色, 把碎片撒得到處都是."},
      {"Intro2", "Mira, a young painter, climbs the hill to set them right.", "年轻的画家米拉爬上山丘, 要把它们修好.",
       "年輕的畫家米拉爬上山丘, 要把它們修好."},
      {"Click", "Click to continue", "点击继续", "點擊繼續"},
      {"ToCoast", "The path winds down to the sea...", "小路蜿蜒通向大海...", "小路蜿蜒通向大海..."},
      {"Finale", "The windows shine. The End.", "窗子重放光彩. 全剧终.", "窗子重放光彩. 全劇終."},
      {"Level00", "Gate", "大门", "大門"},
      {"Level01", "Lake", "湖光", "湖光"},
      {"Level02", "Rose", "玫瑰", "玫瑰"},
      {"Level03", "Spiral", "漩涡", "漩渦"},
      {"Level04A", "Coast", "海岸", "海岸"},
      {"Level04B", "Moon", "月塔", "月塔"},
      {"Level05", "Crystal", "水晶", "水晶"},
      {"Level06", "Embers", "余烬", "餘燼"},
      {"Level07", "Window", "巨窗", "巨窗"},
      {"Level08", "Dawn", "黎明", "黎明"},
  };
  return table;
}

bool EncodeForLanguage(const std::string& utf8, DemoLanguage language, std::string& out) {
  out.clear();
  bool ascii = true;
  for (unsigned char ch : utf8) ascii = ascii && ch < 0x80;
  if (ascii) {
    out = utf8;
    return true;
  }
  if (language == DemoLanguage::English) return false;
  return EncodeCodePage(utf8, language == DemoLanguage::ChineseSimplified ? CodePage::Gbk : CodePage::Big5, out);
}

std::string Localized(const std::string& key, DemoLanguage language) {
  for (const auto* table : {&MenuTexts(), &TalkTexts(), &PictureTexts()})
    for (const TextEntry& e : *table)
      if (key == e.key) {
        const char* src = language == DemoLanguage::English            ? e.english
                          : language == DemoLanguage::ChineseSimplified ? e.simplified
                                                                        : e.traditional;
        std::string out;
        return EncodeForLanguage(src, language, out) ? out : std::string();
      }
  return std::string();
}

}  // namespace tessera::content
